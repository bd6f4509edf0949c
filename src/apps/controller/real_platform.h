#pragma once

#include "platform/inotify_folder_watch.h"
#include "platform/platform.h"
#include "platform/posix_file_system.h"
#include "platform/posix_process_starter.h"
#include "platform/posix_system_info.h"
#include "platform/process_environment.h"
#include "platform/qt_event_loop.h"
#include "platform/qt_settings_store.h"
#include "platform/slurm_step_service.h"
#include "platform/ssh_control_folder.h"
#include "platform/ssh_management_service.h"
#include "platform/system_clock.h"
#include "platform/unix_pipe_transport.h"

namespace zelkon {

// The real operating system, for the controller program. The event pump and
// the dialogs depend on whether there is a window.
inline UnixPipeConfig pipe_config(const SshOptions& ssh) {
    UnixPipeConfig config = UnixPipeConfig::from_environment();
    config.ssh = ssh;
    return config;
}

struct RealPlatform {
    RealPlatform(EventPump& event_pump, Dialogs& user_dialogs)
        : events(event_pump), dialogs(user_dialogs) {}

    PosixFileSystem files;
    PosixProcessStarter processes;
    HostComputerName computer_name;
    // One ssh master connection per machine, shared by the management
    // service and the pipe clients' --dial; the masters end before their
    // folder goes.
    SshControlFolder ssh_control;
    SshOptions ssh = SshOptions::from_environment(ssh_control.path());
    SshManagementService management{processes, computer_name.get(), ssh};
    UnixPipeTransport pipes{pipe_config(ssh)};
    SystemClock clock;
    QtTimerFactory timers;
    EventPump& events;
    QtSettingsStore settings;
    Dialogs& dialogs;
    PosixCurrentDirectory current_directory;
    ProcessEnvironment environment;
    SlurmStepService slurm;
    InotifyFolderWatch folder_watch;

    Platform bundle() {
        return Platform{files,         processes,   management, pipes,       clock,
                        timers,        events,      settings,   dialogs,     current_directory,
                        computer_name, environment, slurm,      folder_watch};
    }
};

}  // namespace zelkon
