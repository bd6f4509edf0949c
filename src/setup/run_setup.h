#pragma once

#include <exception>
#include <string>

#include "engine/run_control.h"
#include "model/process_log.h"
#include "platform/settings_store.h"
#include "settings/settings_check.h"
#include "settings/settings_file.h"
#include "setup/initialisation_stage.h"
#include "setup/server_setup.h"
#include "setup/setup_progress.h"

namespace zelkon {

// The subsystems the set-up calls on.
struct RunSetupParts {
    SettingsCheck& settings_check;
    SettingsFile& settings_file;
    InitialisationStage& initialisation;
    ServerSetup& server_setup;
    RunControl& run_control;
};

// The records the set-up prepares for the run.
struct RunSetupRecords {
    FormControls& controls;
    JobSettings& job;
    JobData& data;
    ServerTable& servers;
    TaskTable& tasks;
    AssemblyProgress& assembly_state;
    RunProgress& run;
    Estimates& estimates;
};

// The platform interfaces the set-up calls.
struct RunSetupServices {
    FileSystem& files;
    Clock& clock;
    Dialogs& dialogs;
    CurrentDirectory& current_directory;
    SettingsStore& settings;
    ProcessLog& process_log;
    FormHost& host;
    Timer& timer;
};

// The 32 stages of Start Cluster Run and Test Cluster Setup.
class RunSetup {
  public:
    RunSetup(RunSetupRecords records, RunSetupServices services, RunSetupParts parts)
        : controls(records.controls),
          job(records.job),
          data(records.data),
          servers(records.servers),
          tasks(records.tasks),
          assembly_state(records.assembly_state),
          run(records.run),
          estimates(records.estimates),
          files(services.files),
          clock(services.clock),
          dialogs(services.dialogs),
          current_directory(services.current_directory),
          settings(services.settings),
          process_log(services.process_log),
          host(services.host),
          Timer_cluster_task(services.timer),
          parts_(parts) {}

    // Index 1 starts a run, 0 tests the set-up.
    void Command_start_cluster_run_Click(int Index);

  private:
    // Each returns false when the set-up stops (its message shown) and
    // throws on an unexpected error.
    bool run_setup_stages(SetupProgress& setup);
    void clear_display_and_assembly_log();
    // Removes the job folder when a set-up that ends before any task starts leaves it empty.
    void remove_unused_job_folder(const SetupProgress& setup);
    void create_local_job_folder();
    bool open_info_file(SetupProgress& setup);
    void save_settings_to_store();
    void finish_test(SetupProgress& setup);
    void delete_unused_matrix_files(SetupProgress& setup);
    void delete_if_present(const std::string& file);
    void start_the_task_timer(SetupProgress& setup);
    void copy_assembly_log_to_run_log();
    void common_exit(SetupProgress& setup);
    void setup_error_path(SetupProgress& setup, const std::exception& error);

    FormControls& controls;
    JobSettings& job;
    JobData& data;
    ServerTable& servers;
    TaskTable& tasks;
    AssemblyProgress& assembly_state;
    RunProgress& run;
    Estimates& estimates;
    FileSystem& files;
    Clock& clock;
    Dialogs& dialogs;
    CurrentDirectory& current_directory;
    SettingsStore& settings;
    ProcessLog& process_log;
    FormHost& host;
    Timer& Timer_cluster_task;
    RunSetupParts parts_;
};

}  // namespace zelkon
