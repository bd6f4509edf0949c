#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/form_controls.h"
#include "controller/run_state.h"
#include "platform/platform.h"

namespace zelkon {

// What start-up decided about starting a run from the command line.
enum class AutomaticStart {
    not_asked,         // no folder on the command line
    settings_missing,  // a required key was not stored
    folder_missing,    // the folder does not exist
    started,           // the start handler was called
    failed,            // start-up reported an error
};

// The controller's only window, as logic: its controls (a plain model), the
// run state, and the procedures and event handlers that work on them. The
// procedures are defined in the files of their subsystem.
class Form_zelkon_cluster_controller {
  public:
    explicit Form_zelkon_cluster_controller(Platform platform);
    ~Form_zelkon_cluster_controller();

    FormControls controls;
    RunState state;
    Platform platform;
    std::unique_ptr<Timer> Timer_cluster_task;

    // Hooks of the host (the Qt window or the headless runner).
    std::function<void(const std::string&)> on_run_log_appended;
    std::function<void()> on_show;
    // The program should end with this exit code (a finished command-line run, Done).
    std::function<void(int)> on_exit_requested;

    // Start-up.
    AutomaticStart Form_Load(const std::string& command_line);
    // The run log: append_run_log adds text at the end; set_run_log replaces it.
    void append_run_log(const std::string& text);
    void set_run_log(const std::string& text);
    // Run setup.
    void Command_start_cluster_run_Click(int Index);

    // Settings check and settings file.
    void check_cluster_settings(std::int32_t& ierr);
    void save_cluster_settings(const std::string& fname);
    void read_cluster_settings(const std::string& fname, std::int32_t& ierr);
    void menu_read_setup_Click();
    void menu_save_setup_Click();

    // Folder selection. The drive list holds the file-system roots a user
    // picks from; Drive1 is the selected one and Dir1 the inversion folder.
    std::vector<std::string> drive_list() const;
    // Makes a folder the inversion folder: its drive in Drive1, then Dir1.
    void set_inversion_folder(const std::string& folder);
    void Drive1_Change();
    void Command_set_folder_Click();
    // The local paths of a drop's file list; empty when the drop offers none.
    void Dir1_OLEDragDrop(const std::optional<std::vector<std::string>>& dropped_paths);

  private:
    void restore_stored_settings(bool& all_found);
    AutomaticStart start_from_command_line(const std::string& command_line);
};

}  // namespace zelkon
