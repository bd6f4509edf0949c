#pragma once

#include <memory>

#include "model/form_host.h"
#include "model/job_settings.h"
#include "model/process_log.h"
#include "model/run_progress.h"
#include "model/run_view.h"
#include "model/server_records.h"
#include "model/task_records.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/management_service.h"
#include "platform/process_starter.h"

namespace zelkon {

// The records a running job works on, handed to the task engine and the
// assembly.
struct RunRecords {
    const JobSettings& job;
    const JobData& data;
    ServerTable& servers;
    TaskTable& tasks;
    AssemblyProgress& assembly_state;
    RunProgress& run;
    Estimates& estimates;
    // This computer's process class, through which the assembly starts
    // without RPC.
    std::shared_ptr<ProcessClass>& wmi_process_class;
};

// What the task engine and the assembly call on.
struct RunServices {
    FileSystem& files;
    ProcessStarter& processes;
    ManagementService& management;
    Clock& clock;
    Dialogs& dialogs;
    ProcessLog& process_log;
    FormHost& host;
    RunView& view;
};

}  // namespace zelkon
