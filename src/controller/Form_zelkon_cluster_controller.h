#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controller/form_controls.h"
#include "controller/run_setup_context.h"
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
    // Which start button the automatic start presses: 1 starts a run, 0 only
    // tests the set-up.
    int automatic_start_index = 1;
    // Whether the last set-up reached its end: a run started, or a test
    // found every server usable.
    bool last_setup_succeeded = false;

    // Start-up. A settings file, when named, is read into the form after the
    // stored settings and then counts as stored settings.
    AutomaticStart Form_Load(const std::string& command_line,
                             const std::string& settings_file = "");
    // The run log: append_run_log adds text at the end; set_run_log replaces it.
    void append_run_log(const std::string& text);
    void set_run_log(const std::string& text);
    // Run setup.
    void Command_start_cluster_run_Click(int Index);

    // The assembly log.
    void load_assembly_dat_file(std::int32_t& ierr);

    // Run control.
    void cluster_cleanup();

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

    // The stages of the run setup; each returns false when the set-up stops
    // (its message shown) and throws on an unexpected error.
    bool run_setup_stages(RunSetup& setup);
    void begin_stage(RunSetup& setup, std::int32_t stage, const std::string& action = "");
    void write_info(RunSetup& setup, const std::string& line);
    void clear_display_and_assembly_log();
    void create_local_job_folder();
    bool open_info_file(RunSetup& setup);
    void save_settings_to_store();
    void finish_test(RunSetup& setup);
    void delete_unused_matrix_files(RunSetup& setup);
    void delete_if_present(const std::string& file);
    void start_the_task_timer(RunSetup& setup);
    void copy_assembly_log_to_run_log();
    void common_exit(RunSetup& setup);
    void setup_error_path(RunSetup& setup, const std::exception& error);

    // The initialisation stage and the task division.
    bool run_zelkon_init(RunSetup& setup);
    bool read_init_log(RunSetup& setup);
    bool apply_init_log_line(const std::string& line);
    bool read_component_items(const std::string& value, bool data_types);
    bool check_init_results_and_divide(RunSetup& setup);
    void find_matrix_files(RunSetup& setup);
    bool offer_to_continue(RunSetup& setup);
    void determine_data_step(RunSetup& setup);
    void build_task_table(RunSetup& setup);
    void mark_assembled_tasks(RunSetup& setup);
    void divide_data_into_tasks(RunSetup& setup);
    void store_assembly_log_line(const std::string& line);

    // The server setup's stages.
    void setup_display_grid();
    void update_number_of_pipes();
    void address_the_pipes();
    void set_up_machine_work_folders(RunSetup& setup);
    void open_task_server_channels(RunSetup& setup);
    void test_server_connections(RunSetup& setup);
    void close_task_server_pipes();
    void remove_job_files_of_machine(std::int32_t machine);
};

}  // namespace zelkon
