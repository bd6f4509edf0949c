#include "controller/server_setup.h"

// Until these stages are in place a set-up opens no task server.

namespace zelkon {

void ServerSetup::setup_display_grid() {}

void ServerSetup::update_number_of_pipes() {}

void ServerSetup::address_the_pipes() {}

void ServerSetup::set_up_machine_work_folders(SetupProgress&) {}

void ServerSetup::open_task_server_channels(SetupProgress&) {}

void ServerSetup::test_server_connections(SetupProgress&) {}

}  // namespace zelkon
