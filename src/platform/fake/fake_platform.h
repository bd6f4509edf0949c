#pragma once

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_environment.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_folder_watch.h"
#include "platform/fake/fake_management_service.h"
#include "platform/fake/fake_pipe_transport.h"
#include "platform/fake/fake_process_starter.h"
#include "platform/fake/fake_services.h"
#include "platform/fake/fake_slurm_steps.h"
#include "platform/local_management_service.h"
#include "platform/platform.h"

namespace zelkon {

// One of each fake, and the bundle that hands them to the form.
struct FakePlatform {
    FakeFileSystem files;
    FakeProcessStarter processes;
    FakeClock clock;
    FakeEventPump events{&clock};
    FakeSettingsStore settings;
    FakeDialogs dialogs;
    FakeCurrentDirectory current_directory;
    FakeComputerName computer_name;
    FakeEnvironment environment;
    // Starts on this computer go to the fake process starter.
    FakeManagementService management{&clock, &processes, computer_name.name};
    FakePipeTransport pipes{clock};
    FakeSlurmSteps slurm;
    FakeFolderWatch folder_watch;

    Platform bundle() {
        return Platform{files,         processes,   management, pipes,       clock,
                        clock,         events,      settings,   dialogs,     current_directory,
                        computer_name, environment, slurm,      folder_watch};
    }
};

}  // namespace zelkon
