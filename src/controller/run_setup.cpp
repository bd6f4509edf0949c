#include "controller/run_setup.h"

#include <exception>

#include "assembly/assembly_log.h"
#include "controller/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "settings/work_paths.h"

namespace zelkon {

void RunSetup::Command_start_cluster_run_Click(int Index) {
    SetupProgress setup;
    setup.index = Index;
    form.begin_run_report();
    try {
        if (!run_setup_stages(setup)) {
            remove_unused_job_folder(setup);
            form.report_run_end(RunOutcome::setup_stopped);
            return;
        }
        common_exit(setup);
    } catch (const std::exception& error) {
        setup_error_path(setup, error);
    }
}

bool RunSetup::run_setup_stages(SetupProgress& setup) {
    setup.begin_stage(0, "Initialise work environment");
    state.process_log.reset();
    setup.begin_stage(1, "Clear logging files");
    clear_display_and_assembly_log();
    setup.begin_stage(2, "Check Cluster Settings");
    std::int32_t ierr = 0;
    parts_.settings_check.check_cluster_settings(ierr);
    if (ierr < 0) {
        return false;  // the check told the user; nothing to close or reset
    }
    setup.begin_stage(3, "Set up work folders");
    state.work_folder_parts = split_at(state.job_folder, '/');
    state.work_folder_depth = static_cast<std::int32_t>(state.work_folder_parts.size()) - 1;
    setup.begin_stage(4, "Set up the work path using the local drive");
    create_local_job_folder();
    setup.begin_stage(5, "Get the local inversion folder path");
    if (!open_info_file(setup)) {
        common_exit(setup);
        return false;
    }
    setup.begin_stage(6, "Set up the display form");
    parts_.server_setup.setup_display_grid();
    setup.begin_stage(7, "Update the number of pipes");
    parts_.server_setup.update_number_of_pipes();
    setup.begin_stage(8, "Ensure the pipes are closed");
    parts_.server_setup.address_the_pipes();
    setup.begin_stage(9, "Start the timers");
    form.set_busy_pointer(true);
    set_run_log("Set up work folders");
    setup.write_info("Set up work folders");
    setup.begin_stage(10, "Set up the work folders");
    parts_.server_setup.set_up_machine_work_folders(setup);
    setup.begin_stage(11, "Set up the current working directory");
    if (!platform.current_directory.set(state.local_path)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + state.local_path);
    }
    setup.write_info("Working directory: " + state.local_path);
    InitialisationStage& init = parts_.initialisation;
    if (!init.run_zelkon_init(setup) || !init.read_init_log(setup) ||
        !init.check_init_results_and_divide(setup)) {
        common_exit(setup);
        return false;
    }
    setup.begin_stage(25, "Set up the server list");
    parts_.server_setup.open_task_server_channels(setup);
    setup.begin_stage(26);
    parts_.server_setup.test_server_connections(setup);
    setup.begin_stage(27, "Save the settings");
    save_settings_to_store();
    setup.begin_stage(28, "Save the settings");
    parts_.settings_file.save_cluster_settings(state.local_path + "Zelkon_job_" +
                                               format_number(number_of(state.job_id), "000000") +
                                               ".inp");
    setup.write_info("Settings saved");
    if (setup.index == 0) {
        finish_test(setup);
        return true;
    }
    setup.begin_stage(29, "Delete any existing files if they are not being used");
    delete_unused_matrix_files(setup);
    setup.begin_stage(30, "Start the timer running to manage the tasks");
    if (!parts_.run_control.has_usable_task_server()) {
        // Nothing could ever run the tasks: end as a tick with no server left does.
        parts_.run_control.end_run_with_error(kNoTaskServerLeft);
        common_exit(setup);
        return false;
    }
    start_the_task_timer(setup);
    setup.begin_stage(31, "Copy the existing assembly log");
    copy_assembly_log_to_run_log();
    return true;
}

void RunSetup::clear_display_and_assembly_log() {
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

void RunSetup::create_local_job_folder() {
    // Only the job folder's parts are made, below a work-drive root that
    // exists: a mistyped or unmounted drive must not become a new tree.
    std::string root = work_drive_root(state.work_drive);
    if (!platform.files.folder_exists(root.empty() ? "/" : root)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + (root.empty() ? "/" : root));
    }
    std::string path = root;
    for (const std::string& part : split_at(state.job_folder, '/')) {
        if (part.empty()) {
            continue;
        }
        path += "/" + part;
        if (!platform.files.folder_exists(path) && !platform.files.create_folder(path)) {
            throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
        }
    }
}

void RunSetup::remove_unused_job_folder(const SetupProgress& setup) {
    // Made at stage 4; a set-up that ends before a task starts leaves it
    // empty unless the clean-up has already taken it.
    if (setup.setup_stage >= 4 && !state.local_work_path.empty() &&
        platform.files.folder_exists(state.local_work_path)) {
        platform.files.delete_empty_folder(state.local_work_path);
    }
}

bool RunSetup::open_info_file(SetupProgress& setup) {
    state.local_path = with_separator(controls.Dir1);
    if (!platform.files.file_exists(state.local_path + "zelkon.inp")) {
        platform.dialogs.warning("The Zelkon input file does not exist in the specified folder: " +
                                 state.local_path);
        return false;
    }
    std::string info_path = setup_info_file(state.local_path, state.job_id);
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
    item("Num Servers: " + format_number(state.num_servers(), "0"));
    for (std::int32_t i = 1; i <= state.num_servers(); ++i) {
        const Machine& machine = state.machines[i];
        info.write_line("Server: " + format_number(i, "0") + " " + machine.name +
                        " Count: " + format_number(machine.count, "0") +
                        " Threads: " + format_number(machine.threads, "0"));
    }
    setup.write_info("Total Task Servers: " + format_number(state.num_task_servers(), "0"));
    return true;
}

void RunSetup::save_settings_to_store() {
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

void RunSetup::finish_test(SetupProgress& setup) {
    setup.info_file.reset();  // the clean-up appends its total to the closed file
    parts_.run_control.cluster_cleanup();
    std::string summary;
    if (setup.opened_task_servers == 0) {
        summary =
            "Setup appears to be correct, but no task servers were opened\r\n"
            "Check that the RPC listener program is running";
    } else if (setup.opened_task_servers >= state.num_task_servers() &&
               setup.failed_task_servers < 1) {
        summary = "Setup appears to be correct";
    } else {
        summary =
            "Setup appears to be correct, but not all of the requested task servers were "
            "opened\r\nCheck that the RPC listener program has enough clients enabled";
    }
    bool correct = summary == "Setup appears to be correct";
    if (correct) {
        platform.dialogs.message(summary);
    } else {
        platform.dialogs.warning(summary);
    }
    form.report_run_end(correct ? RunOutcome::test_correct : RunOutcome::test_incorrect);
}

void RunSetup::delete_unused_matrix_files(SetupProgress& setup) {
    if (setup.last_task == 0) {
        std::int32_t k = 1;
        for (; k <= state.num_components; ++k) {
            const std::string& file = setup.mtx_files.at(static_cast<std::size_t>(k));
            setup.write_info("Kill MTXfile " + format_number(k, "0") + ": " + file);
            delete_if_present(file);
        }
        std::string gtg = state.local_path + "gtg.dat";
        setup.write_info("Kill gtg file " + format_number(k, "0") + ": " + gtg);
        delete_if_present(gtg);
        std::string layer = state.local_path + "layer_response.dat";
        setup.write_info("Kill layer response file " + format_number(k, "0") + ": " + layer);
        delete_if_present(layer);
    }
    setup.info_file.reset();
}

void RunSetup::delete_if_present(const std::string& file) {
    if (platform.files.file_exists(file) && !platform.files.delete_files(file, false)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + file);
    }
}

void RunSetup::start_the_task_timer(SetupProgress& setup) {
    std::string started =
        format_date_time(platform.clock, platform.clock.now(), "dd-mmm-yyyy Hh:Nn:Ss");
    set_run_log("Zelkon Cluster started at " + started);
    state.process_log = platform.files.open_writer(state.process_log_file, false);
    if (!state.process_log) {
        throw ZelkonError(kErrorPermissionDenied, "Permission denied: " + state.process_log_file);
    }
    state.process_log->write_line(started + " Zelkon Cluster started");
    state.process_log->flush();
    controls.Text_overheads.text = "100";
    state.run_terminated = false;
    state.timer_stage = 0;
    state.num_tasks_processing = 0;
    state.num_tasks_done = 0;
    state.last_task_failure.clear();
    state.assembly_running = false;
    state.last_assembled_task = setup.last_task;
    state.run_start_time = platform.clock.now();
    state.run_start_tick_ms = platform.clock.tick_ms();
    state.elapsed_seconds = 0.0;
    state.estimated_duration_seconds = 0.0;
    Timer_cluster_task.set_interval(100);
    Timer_cluster_task.set_enabled(true);
    controls.Command_start_cluster_run[0].enabled = false;
    controls.Command_stop_cluster_run.visible = true;
    controls.Command_pause_run[0].visible = true;
    controls.Command_pause_run[1].visible = false;
}

void RunSetup::copy_assembly_log_to_run_log() {
    if (state.assembly_log_last_task < 1) {
        return;
    }
    append_run_log("\r" + state.assembly_log_header);
    for (std::int32_t t = 1; t <= state.assembly_log_last_task; ++t) {
        append_run_log("\r" + state.assembly_log_lines.at(static_cast<std::size_t>(t)));
    }
}

void RunSetup::common_exit(SetupProgress& setup) {
    setup.info_file.reset();
    form.set_busy_pointer(false);
}

void RunSetup::setup_error_path(SetupProgress& setup, const std::exception& error) {
    state.run_terminated = true;
    Timer_cluster_task.set_interval(0);
    Timer_cluster_task.set_enabled(false);
    setup.info_file.reset();
    std::string hint = setup.setup_stage == 10
                           ? parts_.server_setup.remote_folder_hint(error_description(error))
                           : "";
    platform.dialogs.warning(
        "An error occurred while setting up the cluster run: " + error_description(error) +
        " at stage " + format_number(setup.setup_stage, "0") +
        " while performing action: " + setup.setup_action + (hint.empty() ? "" : "\r\n" + hint));
    parts_.run_control.cluster_cleanup();
    remove_unused_job_folder(setup);
    form.set_busy_pointer(false);
    form.report_run_end(RunOutcome::error);
}

}  // namespace zelkon
