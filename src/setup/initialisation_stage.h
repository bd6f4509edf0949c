#pragma once

#include <memory>
#include <string>

#include "assembly/assembly_log.h"
#include "model/form_controls.h"
#include "model/form_host.h"
#include "model/job_settings.h"
#include "model/run_progress.h"
#include "model/task_records.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/management_service.h"
#include "platform/process_starter.h"
#include "setup/setup_progress.h"

namespace zelkon {

// Stages 12 to 24 of the set-up: the Zelkon initialisation on this
// computer, its log, the offer to continue a matrix, and the division of the
// data into tasks. Each returns false when the set-up stops (its message
// shown) and throws on an unexpected error.
// The platform interfaces the initialisation calls.
struct InitialisationServices {
    FileSystem& files;
    ProcessStarter& processes;
    ManagementService& management;
    Dialogs& dialogs;
    FormHost& host;
};

class InitialisationStage {
  public:
    InitialisationStage(FormControls& controls, const JobSettings& job, JobData& data,
                        TaskTable& tasks, AssemblyProgress& assembly_state,
                        std::shared_ptr<ProcessClass>& wmi_process_class, AssemblyLog& assembly_log,
                        InitialisationServices services)
        : controls(controls),
          job(job),
          data(data),
          tasks(tasks),
          assembly_state(assembly_state),
          wmi_process_class(wmi_process_class),
          assembly_log_(assembly_log),
          files(services.files),
          processes(services.processes),
          management(services.management),
          dialogs(services.dialogs),
          host(services.host) {}

    bool run_zelkon_init(SetupProgress& setup);
    bool read_init_log(SetupProgress& setup);
    bool check_init_results_and_divide(SetupProgress& setup);

  private:
    bool apply_init_log_line(const std::string& line);
    bool read_component_items(const std::string& value, bool data_types);
    void find_matrix_files(SetupProgress& setup);
    bool offer_to_continue(SetupProgress& setup);
    void determine_data_step(SetupProgress& setup);
    void build_task_table(SetupProgress& setup);
    void mark_assembled_tasks(SetupProgress& setup);
    void divide_data_into_tasks(SetupProgress& setup);

    FormControls& controls;
    const JobSettings& job;
    JobData& data;
    TaskTable& tasks;
    AssemblyProgress& assembly_state;
    std::shared_ptr<ProcessClass>& wmi_process_class;
    AssemblyLog& assembly_log_;
    FileSystem& files;
    ProcessStarter& processes;
    ManagementService& management;
    Dialogs& dialogs;
    FormHost& host;
};

}  // namespace zelkon
