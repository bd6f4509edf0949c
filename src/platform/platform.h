#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/folder_watch.h"
#include "platform/management_service.h"
#include "platform/pipe_transport.h"
#include "platform/process_starter.h"
#include "platform/settings_store.h"
#include "platform/slurm_steps.h"
#include "platform/system_info.h"

namespace zelkon {

// Everything outside the process, handed to the form when it is made.
struct Platform {
    FileSystem& files;
    ProcessStarter& processes;
    ManagementService& management;
    PipeTransport& pipes;
    Clock& clock;
    TimerFactory& timers;
    EventPump& events;
    SettingsStore& settings;
    Dialogs& dialogs;
    CurrentDirectory& current_directory;
    ComputerName& computer_name;
    Environment& environment;
    SlurmSteps& slurm;
    FolderWatch& folder_watch;
};

}  // namespace zelkon
