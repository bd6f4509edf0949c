#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assembly/assembly_log.h"
#include "engine/run_control.h"
#include "engine/server_connections.h"
#include "engine/task_engine.h"
#include "form/run_presenter.h"
#include "model/form_controls.h"
#include "model/form_host.h"
#include "model/job_settings.h"
#include "model/process_log.h"
#include "model/run_progress.h"
#include "model/server_records.h"
#include "model/task_records.h"
#include "platform/platform.h"
#include "settings/folder_selection.h"
#include "settings/settings_check.h"
#include "settings/settings_file.h"
#include "setup/initialisation_stage.h"
#include "setup/run_setup.h"
#include "setup/server_setup.h"

namespace zelkon {

// What start-up decided about starting a run from the command line.
enum class AutomaticStart {
    not_asked,         // no folder on the command line
    settings_missing,  // a required key was not stored
    settings_unread,   // the settings file named could not be read
    folder_missing,    // the folder does not exist
    started,           // the start handler was called
    failed,            // start-up reported an error
};

// The controller's only window, as logic: its controls (a plain model), the
// run state, the subsystems that work on them, and the event handlers, which
// hand each event to its subsystem.
class Form_zelkon_cluster_controller {
  public:
    explicit Form_zelkon_cluster_controller(Platform platform);
    ~Form_zelkon_cluster_controller();

    FormControls controls;
    Platform platform;
    std::unique_ptr<Timer> Timer_cluster_task;
    FormHooks hooks;
    FormHost host{controls, hooks};
    // Which start button the automatic start presses: 1 starts a run, 0 only
    // tests the set-up.
    int automatic_start_index = 1;
    // The job ID given on the command line (0: none). It wins over the
    // stored one, a settings file's and the proposed next one.
    std::int32_t job_id_given = 0;

    // The run's records, each handed to the subsystems that work on it.
    JobSettings job;
    JobData data;
    ServerTable servers;
    TaskTable tasks;
    AssemblyProgress assembly_state;
    RunProgress run;
    Estimates estimates;
    ServerConnections channels;
    std::shared_ptr<ProcessClass> wmi_process_class;
    ProcessLog process_log{platform.files, platform.clock};

    // The subsystems, in the order they depend on each other.
    SettingsCheck settings_check{
        controls, job, servers, platform.dialogs, platform.computer_name, platform.environment};
    SettingsFile settings_file{controls,         job,
                               settings_check,   platform.files,
                               platform.dialogs, platform.current_directory};
    FolderSelection folder_selection{controls, platform.files, platform.dialogs,
                                     platform.environment, platform.current_directory};
    AssemblyLog assembly_log{data, assembly_state, platform.files, platform.dialogs};
    RunPresenter presenter{controls, servers, tasks, run, estimates, platform.clock};
    RunServices run_services{platform.files, platform.processes, platform.management,
                             platform.clock, platform.dialogs,   process_log,
                             host,           presenter};
    RunControl run_control{job,      data,         servers,        run,
                           channels, run_services, platform.slurm, *Timer_cluster_task};
    TaskEngine task_engine{
        RunRecords{job, data, servers, tasks, assembly_state, run, estimates, wmi_process_class},
        run_services,
        channels,
        platform.events,
        *Timer_cluster_task,
        platform.timers,
        platform.folder_watch,
        run_control};
    InitialisationStage initialisation{
        controls,
        job,
        data,
        tasks,
        assembly_state,
        wmi_process_class,
        assembly_log,
        InitialisationServices{platform.files, platform.processes, platform.management,
                               platform.dialogs, host}};
    ServerSetup server_setup{controls, job,      data,
                             servers,  channels, server_setup_services(platform, host)};
    RunSetup run_setup{
        RunSetupRecords{controls, job, data, servers, tasks, assembly_state, run, estimates},
        RunSetupServices{platform.files, platform.clock, platform.dialogs,
                         platform.current_directory, platform.settings, process_log, host,
                         *Timer_cluster_task},
        RunSetupParts{settings_check, settings_file, initialisation, server_setup, run_control}};

    // Start-up. A settings file, when named, is read into the form after the
    // stored settings and then counts as stored settings.
    AutomaticStart Form_Load(const std::string& command_line,
                             const std::string& settings_file_name = "");
    void append_run_log(const std::string& text) { host.append_run_log(text); }
    void set_run_log(const std::string& text) { host.set_run_log(text); }

    // Event handlers.
    void Command_start_cluster_run_Click(int Index) {
        run_setup.Command_start_cluster_run_Click(Index);
    }
    void Timer_cluster_task_Timer() { task_engine.Timer_cluster_task_Timer(); }
    void Command_pause_run_Click(std::int16_t Index) { run_control.Command_pause_run_Click(Index); }
    void Command_stop_cluster_run_Click() { run_control.Command_stop_cluster_run_Click(); }
    // Ends the program; a run going on is neither stopped nor cleaned up.
    void Command_done_Click();
    void menu_read_setup_Click() { settings_file.menu_read_setup_Click(); }
    void menu_save_setup_Click() { settings_file.menu_save_setup_Click(); }
    void Drive1_Change() { folder_selection.Drive1_Change(); }
    void Command_set_folder_Click() { folder_selection.Command_set_folder_Click(); }
    void Dir1_OLEDragDrop(const std::optional<std::vector<std::string>>& dropped_paths) {
        folder_selection.Dir1_OLEDragDrop(dropped_paths);
    }
    std::vector<std::string> drive_list() const { return folder_selection.drive_list(); }

  private:
    void restore_stored_settings(bool& all_found);
    AutomaticStart start_from_command_line(const std::string& command_line);
};

}  // namespace zelkon
