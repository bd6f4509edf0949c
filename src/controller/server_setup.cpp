#include "controller/Form_zelkon_cluster_controller.h"

// The stages that prepare the task servers: the statistics grid, the pipe
// clients, each machine's job folder, the channels and the connection test.
// Until they are in place a set-up opens no task server.

namespace zelkon {

void Form_zelkon_cluster_controller::setup_display_grid() {}

void Form_zelkon_cluster_controller::update_number_of_pipes() {}

void Form_zelkon_cluster_controller::address_the_pipes() {}

void Form_zelkon_cluster_controller::set_up_machine_work_folders(RunSetup&) {}

void Form_zelkon_cluster_controller::open_task_server_channels(RunSetup&) {}

void Form_zelkon_cluster_controller::test_server_connections(RunSetup&) {}

void Form_zelkon_cluster_controller::close_task_server_pipes() {}

}  // namespace zelkon
