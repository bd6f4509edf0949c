#include <exception>

#include "assembly/assembly_log.h"
#include "controller/Form_zelkon_cluster_controller.h"
#include "controller/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {
namespace {

constexpr int kErrorPermissionDenied = 70;
constexpr int kErrorFileAccess = 75;

// A folder path with its trailing separator.
std::string with_separator(const std::string& folder) {
    return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

std::vector<std::string> split_at(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

}  // namespace

void Form_zelkon_cluster_controller::Command_start_cluster_run_Click(int Index) {
    RunSetup setup;
    setup.index = Index;
    last_setup_succeeded = false;
    try {
        if (!run_setup_stages(setup)) {
            return;
        }
        common_exit(setup);
    } catch (const std::exception& error) {
        setup_error_path(setup, error);
    }
}

bool Form_zelkon_cluster_controller::run_setup_stages(RunSetup& setup) {
    begin_stage(setup, 0, "Initialise work environment");
    state.process_log.reset();
    begin_stage(setup, 1, "Clear logging files");
    clear_display_and_assembly_log();
    begin_stage(setup, 2, "Check Cluster Settings");
    std::int32_t ierr = 0;
    check_cluster_settings(ierr);
    if (ierr < 0) {
        return false;  // the check told the user; nothing to close or reset
    }
    begin_stage(setup, 3, "Set up work folders");
    state.work_folder_parts = split_at(state.job_folder, '/');
    state.work_folder_depth = static_cast<std::int32_t>(state.work_folder_parts.size()) - 1;
    begin_stage(setup, 4, "Set up the work path using the local drive");
    create_local_job_folder();
    begin_stage(setup, 5, "Get the local inversion folder path");
    if (!open_info_file(setup)) {
        common_exit(setup);
        return false;
    }
    begin_stage(setup, 6, "Set up the display form");
    setup_display_grid();
    begin_stage(setup, 7, "Update the number of pipes");
    update_number_of_pipes();
    begin_stage(setup, 8, "Ensure the pipes are closed");
    address_the_pipes();
    begin_stage(setup, 9, "Start the timers");
    controls.busy_pointer = true;
    set_run_log("Set up work folders");
    write_info(setup, "Set up work folders");
    begin_stage(setup, 10, "Set up the work folders");
    set_up_machine_work_folders(setup);
    begin_stage(setup, 11, "Set up the current working directory");
    if (!platform.current_directory.set(state.local_path)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + state.local_path);
    }
    write_info(setup, "Working directory: " + state.local_path);
    if (!run_zelkon_init(setup) || !read_init_log(setup) || !check_init_results_and_divide(setup)) {
        common_exit(setup);
        return false;
    }
    begin_stage(setup, 25, "Set up the server list");
    open_task_server_channels(setup);
    begin_stage(setup, 26);
    test_server_connections(setup);
    begin_stage(setup, 27, "Save the settings");
    save_settings_to_store();
    begin_stage(setup, 28, "Save the settings");
    save_cluster_settings(state.local_path + "Zelkon_job_" +
                          format_number(number_of(state.job_id), "000000") + ".inp");
    write_info(setup, "Settings saved");
    if (setup.index == 0) {
        finish_test(setup);
        return true;
    }
    begin_stage(setup, 29, "Delete any existing files if they are not being used");
    delete_unused_matrix_files(setup);
    begin_stage(setup, 30, "Start the timer running to manage the tasks");
    start_the_task_timer(setup);
    begin_stage(setup, 31, "Copy the existing assembly log");
    copy_assembly_log_to_run_log();
    return true;
}

void Form_zelkon_cluster_controller::begin_stage(RunSetup& setup, std::int32_t stage,
                                                 const std::string& action) {
    setup.setup_stage = stage;
    if (!action.empty()) {
        setup.setup_action = action;
    }
}

void Form_zelkon_cluster_controller::write_info(RunSetup& setup, const std::string& line) {
    if (setup.info_file) {
        setup.info_file->write_line("");
        setup.info_file->write_line(line);
    }
}

void Form_zelkon_cluster_controller::clear_display_and_assembly_log() {
    set_run_log("");
    controls.ProgressBar_tasks.value = 0;
    controls.Text_overheads.text = "0";
    controls.Label_logging_time.caption = "00:00:00";
    controls.Label_expected_finish.caption = "";
    controls.Label_estimated_duration.caption = "";
    controls.Label_estimated_time_remaining.caption = "";
    controls.Text_speedup.text = "0.0";
    controls.Grid_server_stats = GridControl();
    for (TextControl* box :
         {&controls.Text_mtx_size, &controls.Text_mtx_compression, &controls.Text_mtx_ndata,
          &controls.Text_mtx_mx, &controls.Text_mtx_my, &controls.Text_mtx_mz}) {
        box->text = "0";
    }
    state.assembly_log_last_task = 0;
    state.assembly_log_header.clear();
    state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");
}

void Form_zelkon_cluster_controller::create_local_job_folder() {
    // Each folder on the way to the job folder is made when it is missing.
    std::string path;
    for (const std::string& part : split_at(state.local_work_path, '/')) {
        if (part.empty()) {
            continue;
        }
        path += "/" + part;
        if (!platform.files.folder_exists(path) && !platform.files.create_folder(path)) {
            throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
        }
    }
}

bool Form_zelkon_cluster_controller::open_info_file(RunSetup& setup) {
    state.local_path = with_separator(controls.Dir1);
    if (!platform.files.file_exists(state.local_path + "zelkon.inp")) {
        platform.dialogs.message("The Zelkon input file does not exist in the specified folder");
        return false;
    }
    std::string info_path = state.local_path + "zelkon_cluster_init_" + state.job_id + ".info";
    setup.info_file = platform.files.open_writer(info_path, false);
    if (!setup.info_file) {
        throw ZelkonError(kErrorPermissionDenied, "Permission denied: " + info_path);
    }
    TextWriter& info = *setup.info_file;
    auto item = [&info](const std::string& line) {
        info.write_line(line);
        info.write_line("");
    };
    item("Nimbal_Controller info V1.1");
    item("Job ID: " + format_number(number_of(state.job_id), "000000"));
    item("Work Drive: " + state.work_drive);
    item("Work Folder: " + state.job_folder);
    item("Local Path: " + trim(state.local_path));
    item("Folder Share Name: " + trim(state.network_share));
    item("Max Tasks: " + format_number(state.max_tasks, "0"));
    item(std::string("Use RPC: ") + (state.use_rpc ? "Yes" : "No"));
    item("Local Computer Name: " + trim(state.local_computer_name));
    item("Local Work Path: " + trim(state.local_work_path));
    item("Network Share Name: " + trim(state.network_work_path));
    item("ServerList: " + trim(controls.Text_server.text));
    item("Num Servers: " + format_number(state.num_servers, "0"));
    for (std::int32_t i = 1; i <= state.num_servers; ++i) {
        info.write_line("Server: " + format_number(i, "0") + " " + state.server_name.at(i) +
                        " Count: " + format_number(state.server_count.at(i), "0") +
                        " Threads: " + format_number(state.server_threads.at(i), "0"));
    }
    write_info(setup, "Total Task Servers: " + format_number(state.num_task_servers, "0"));
    return true;
}

void Form_zelkon_cluster_controller::save_settings_to_store() {
    SettingsStore& store = platform.settings;
    store.set("ServerList", trim(controls.Text_server.text));
    store.set("WorkDrive", trim(state.work_drive));
    store.set("WorkFolder", trim(state.work_folder));
    store.set("LocalPath", state.local_path);
    store.set("JobID", state.job_id);
    store.set("MaxTasks", format_number(state.max_tasks, "0"));
    store.set("NetworkShare", state.network_share);
    store.set("UseRPC", state.use_rpc ? "Yes" : "No");
}

void Form_zelkon_cluster_controller::finish_test(RunSetup& setup) {
    setup.info_file.reset();  // the clean-up appends its total to the closed file
    cluster_cleanup();
    std::string summary;
    if (setup.opened_task_servers == 0) {
        summary =
            "Setup appears to be correct, but no task servers were opened\r\n"
            "Check that the RPC listener program is running";
    } else if (setup.opened_task_servers >= state.num_task_servers &&
               setup.failed_task_servers < 1) {
        summary = "Setup appears to be correct";
        last_setup_succeeded = true;
    } else {
        summary =
            "Setup appears to be correct, but not all of the requested task servers were "
            "opened\r\nCheck that the RPC listener program has enough clients enabled";
    }
    platform.dialogs.message(summary);
}

void Form_zelkon_cluster_controller::delete_unused_matrix_files(RunSetup& setup) {
    if (setup.last_task == 0) {
        std::int32_t k = 1;
        for (; k <= state.num_components; ++k) {
            const std::string& file = setup.mtx_files.at(static_cast<std::size_t>(k));
            write_info(setup, "Kill MTXfile " + format_number(k, "0") + ": " + file);
            delete_if_present(file);
        }
        std::string gtg = state.local_path + "gtg.dat";
        write_info(setup, "Kill gtg file " + format_number(k, "0") + ": " + gtg);
        delete_if_present(gtg);
        std::string layer = state.local_path + "layer_response.dat";
        write_info(setup, "Kill layer response file " + format_number(k, "0") + ": " + layer);
        delete_if_present(layer);
    }
    setup.info_file.reset();
}

void Form_zelkon_cluster_controller::delete_if_present(const std::string& file) {
    if (platform.files.file_exists(file) && !platform.files.delete_files(file, false)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + file);
    }
}

void Form_zelkon_cluster_controller::start_the_task_timer(RunSetup& setup) {
    std::string started = format_date_time(platform.clock.now(), "dd-mmm-yyyy Hh:Nn:Ss");
    set_run_log("Zelkon Cluster started at " + started);
    state.process_log = platform.files.open_writer(state.process_log_file, false);
    if (!state.process_log) {
        throw ZelkonError(kErrorPermissionDenied, "Permission denied: " + state.process_log_file);
    }
    state.process_log->write_line(started + " Zelkon Cluster started");
    state.process_log->flush();
    controls.Text_overheads.text = "100";
    state.run_terminated = kFalse;
    state.timer_stage = 0;
    state.num_tasks_processing = 0;
    state.num_tasks_done = 0;
    state.assembly_running = 0;
    state.last_assembled_task = setup.last_task;
    state.run_start_time = platform.clock.now();
    state.elapsed_seconds = 0.0;
    state.estimated_duration_seconds = 0.0;
    Timer_cluster_task->set_interval(100);
    Timer_cluster_task->set_enabled(true);
    controls.Command_start_cluster_run[0].enabled = false;
    controls.Command_stop_cluster_run.visible = true;
    controls.Command_pause_run[0].visible = true;
    controls.Command_pause_run[1].visible = false;
    last_setup_succeeded = true;
}

void Form_zelkon_cluster_controller::copy_assembly_log_to_run_log() {
    if (state.assembly_log_last_task < 1) {
        return;
    }
    append_run_log("\r" + state.assembly_log_header);
    for (std::int32_t t = 1; t <= state.assembly_log_last_task; ++t) {
        append_run_log("\r" + state.assembly_log_lines.at(static_cast<std::size_t>(t)));
    }
}

void Form_zelkon_cluster_controller::common_exit(RunSetup& setup) {
    setup.info_file.reset();
    controls.busy_pointer = false;
}

void Form_zelkon_cluster_controller::setup_error_path(RunSetup& setup,
                                                      const std::exception& error) {
    state.run_terminated = kTrue;
    Timer_cluster_task->set_interval(0);
    Timer_cluster_task->set_enabled(false);
    setup.info_file.reset();
    platform.dialogs.message(
        "An error occurred while setting up the cluster run: " + error_description(error) +
        " at stage " + format_number(setup.setup_stage, "0") +
        " while performing action: " + setup.setup_action);
    cluster_cleanup();
    controls.busy_pointer = false;
}

}  // namespace zelkon
