#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "assembly/assembly_log.h"
#include "controller/form_context.h"
#include "controller/form_controls.h"
#include "controller/initialisation_stage.h"
#include "controller/run_setup.h"
#include "controller/run_state.h"
#include "controller/server_setup.h"
#include "engine/run_control.h"
#include "engine/task_engine.h"
#include "platform/platform.h"
#include "settings/folder_selection.h"
#include "settings/settings_check.h"
#include "settings/settings_file.h"

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
    RunState state;
    Platform platform;
    std::unique_ptr<Timer> Timer_cluster_task;
    FormHooks hooks;
    // Which start button the automatic start presses: 1 starts a run, 0 only
    // tests the set-up.
    int automatic_start_index = 1;
    // The job ID given on the command line (0: none). It wins over the
    // stored one, a settings file's and the proposed next one.
    std::int32_t job_id_given = 0;

  private:
    FormContext context_;

  public:
    // The subsystems, in the order they depend on each other.
    SettingsCheck settings_check{context_};
    SettingsFile settings_file{context_, settings_check};
    FolderSelection folder_selection{context_};
    AssemblyLog assembly_log{context_};
    RunControl run_control{context_};
    TaskEngine task_engine{context_, run_control};
    InitialisationStage initialisation{context_, assembly_log};
    ServerSetup server_setup{context_};
    RunSetup run_setup{context_, RunSetupParts{settings_check, settings_file, initialisation,
                                               server_setup, run_control}};

    // Start-up. A settings file, when named, is read into the form after the
    // stored settings and then counts as stored settings.
    AutomaticStart Form_Load(const std::string& command_line,
                             const std::string& settings_file_name = "");
    void append_run_log(const std::string& text) { context_.append_run_log(text); }
    void set_run_log(const std::string& text) { context_.set_run_log(text); }

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
