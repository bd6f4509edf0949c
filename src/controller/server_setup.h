#pragma once

#include "controller/form_context.h"
#include "controller/setup_progress.h"

namespace zelkon {

// The stages that prepare the task servers: the statistics grid, the pipe
// clients, each machine's job folder, the channels and the connection test.
class ServerSetup : public FormPart {
  public:
    explicit ServerSetup(FormContext& context) : FormPart(context) {}

    void setup_display_grid();
    void update_number_of_pipes();
    void address_the_pipes();
    void set_up_machine_work_folders(SetupProgress& setup);
    void open_task_server_channels(SetupProgress& setup);
    void test_server_connections(SetupProgress& setup);
};

}  // namespace zelkon
