#pragma once

#include <exception>
#include <string>

#include "controller/form_context.h"
#include "controller/initialisation_stage.h"
#include "controller/server_setup.h"
#include "controller/setup_progress.h"
#include "engine/run_control.h"
#include "settings/settings_check.h"
#include "settings/settings_file.h"

namespace zelkon {

// The subsystems the set-up calls on.
struct RunSetupParts {
    SettingsCheck& settings_check;
    SettingsFile& settings_file;
    InitialisationStage& initialisation;
    ServerSetup& server_setup;
    RunControl& run_control;
};

// The 32 stages of Start Cluster Run and Test Cluster Setup.
class RunSetup : public FormPart {
  public:
    RunSetup(FormContext& context, RunSetupParts parts) : FormPart(context), parts_(parts) {}

    // Index 1 starts a run, 0 tests the set-up.
    void Command_start_cluster_run_Click(int Index);

  private:
    // Each returns false when the set-up stops (its message shown) and
    // throws on an unexpected error.
    bool run_setup_stages(SetupProgress& setup);
    void clear_display_and_assembly_log();
    void create_local_job_folder();
    // Removes the job folder when a set-up that ends before any task starts leaves it empty.
    void remove_unused_job_folder(const SetupProgress& setup);
    bool open_info_file(SetupProgress& setup);
    void save_settings_to_store();
    void finish_test(SetupProgress& setup);
    void delete_unused_matrix_files(SetupProgress& setup);
    void delete_if_present(const std::string& file);
    void start_the_task_timer(SetupProgress& setup);
    void copy_assembly_log_to_run_log();
    void common_exit(SetupProgress& setup);
    void setup_error_path(SetupProgress& setup, const std::exception& error);

    RunSetupParts parts_;
};

}  // namespace zelkon
