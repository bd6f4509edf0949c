#pragma once

#include <cstdint>

#include "model/form_controls.h"
#include "model/job_settings.h"
#include "model/server_records.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/system_info.h"

namespace zelkon {

// Checks the form's settings and builds the machine and task-server tables.
class SettingsCheck {
  public:
    SettingsCheck(FormControls& controls, JobSettings& job, ServerTable& servers, Dialogs& dialogs,
                  ComputerName& computer_name, Environment& environment)
        : controls(controls),
          job(job),
          servers(servers),
          dialogs(dialogs),
          computer_name(computer_name),
          environment(environment) {}
    // ierr 0 when every setting is valid; otherwise its message was shown.
    void check_cluster_settings(std::int32_t& ierr);

  private:
    FormControls& controls;
    JobSettings& job;
    ServerTable& servers;
    Dialogs& dialogs;
    ComputerName& computer_name;
    Environment& environment;
};

}  // namespace zelkon
