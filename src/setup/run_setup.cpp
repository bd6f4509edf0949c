#include "setup/run_setup.h"

#include <exception>

#include "assembly/assembly_log.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "settings/work_paths.h"

namespace zelkon {

void RunSetup::Command_start_cluster_run_Click(int Index) {
    SetupProgress setup;
    setup.index = Index;
    host.begin_run_report();
    try {
        if (run_setup_stages(setup)) {
            common_exit(setup);
        } else {
            remove_unused_job_folder(setup);
            host.report_run_end(RunOutcome::setup_stopped);
        }
    } catch (const std::exception& error) {
        setup_error_path(setup, error);
    }
    // A set-up that stopped before the pipes were opened leaves no dial to
    // hold a listener's client until the next one.
    parts_.server_setup.drop_dials_ahead();
}

bool RunSetup::run_setup_stages(SetupProgress& setup) {
    setup.begin_stage(0, "Initialise work environment");
    process_log.close();
    setup.begin_stage(1, "Clear logging files");
    clear_display_and_assembly_log();
    setup.begin_stage(2, "Check Cluster Settings");
    std::int32_t ierr = 0;
    parts_.settings_check.check_cluster_settings(ierr);
    if (ierr < 0) {
        return false;  // the check told the user; nothing to close or reset
    }
    setup.begin_stage(3, "Set up work folders");
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
    host.set_busy_pointer(true);
    host.set_run_log("Set up work folders");
    setup.write_info("Set up work folders");
    setup.begin_stage(10, "Set up the work folders");
    parts_.server_setup.set_up_machine_work_folders(setup);
    parts_.server_setup.reach_machines_ahead();
    setup.begin_stage(11, "Set up the current working directory");
    if (!current_directory.set(job.local_path)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + job.local_path);
    }
    setup.write_info("Working directory: " + job.local_path);
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
    parts_.settings_file.save_cluster_settings(
        job.local_path + "Zelkon_job_" + format_number(number_of(job.job_id), "000000") + ".inp");
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
    host.set_run_log("");
    controls.ProgressBar_tasks.value = 0;
    controls.Text_overheads.text = "0";
    controls.Label_logging_time.caption = "00:00:00";
    run.elapsed_seconds = 0;
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
    assembly_state.assembly_log_last_task = 0;
    assembly_state.assembly_log_header.clear();
    assembly_state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");
}

void RunSetup::create_local_job_folder() {
    // Only the job folder's parts are made, below a work-drive root that
    // exists: a mistyped or unmounted drive must not become a new tree.
    std::string root = work_drive_root(job.work_drive);
    if (!files.folder_exists(root.empty() ? "/" : root)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + (root.empty() ? "/" : root));
    }
    std::string path = root;
    for (const std::string& part : split_at(job.job_folder, '/')) {
        if (part.empty()) {
            continue;
        }
        path += "/" + part;
        if (!files.folder_exists(path) && !files.create_folder(path)) {
            throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
        }
    }
}

void RunSetup::remove_unused_job_folder(const SetupProgress& setup) {
    // Made at stage 4; a set-up that ends before a task starts leaves it
    // empty unless the clean-up has already taken it.
    if (setup.setup_stage >= 4 && !job.local_work_path.empty() &&
        files.folder_exists(job.local_work_path)) {
        files.delete_empty_folder(job.local_work_path);
    }
}

bool RunSetup::open_info_file(SetupProgress& setup) {
    job.local_path = with_separator(controls.Dir1);
    if (!files.file_exists(job.local_path + "zelkon.inp")) {
        dialogs.warning("The Zelkon input file does not exist in the specified folder: " +
                        job.local_path);
        return false;
    }
    std::string info_path = setup_info_file(job.local_path, job.job_id);
    setup.info_file = files.open_writer(info_path, false);
    if (!setup.info_file) {
        throw ZelkonError(kErrorPermissionDenied, "Permission denied: " + info_path);
    }
    TextWriter& info = *setup.info_file;
    auto item = [&info](const std::string& line) {
        info.write_line(line);
        info.write_line("");
    };
    item("Nimbal_Controller info V1.1");
    item("Job ID: " + format_number(number_of(job.job_id), "000000"));
    item("Work Drive: " + job.work_drive);
    item("Work Folder: " + job.job_folder);
    item("Local Path: " + trim(job.local_path));
    item("Folder Share Name: " + trim(job.network_share));
    item("Max Tasks: " + format_number(job.max_tasks, "0"));
    item(std::string("Use RPC: ") + (job.use_rpc ? "Yes" : "No"));
    item("Local Computer Name: " + trim(job.local_computer_name));
    item("Local Work Path: " + trim(job.local_work_path));
    item("Network Share Name: " + trim(job.network_work_path));
    item("ServerList: " + trim(controls.Text_server.text));
    item("Num Servers: " + format_number(servers.num_servers(), "0"));
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        const Machine& machine = servers.machines[i];
        info.write_line("Server: " + format_number(i, "0") + " " + machine.name +
                        " Count: " + format_number(machine.count, "0") +
                        " Threads: " + format_number(machine.threads, "0"));
    }
    setup.write_info("Total Task Servers: " + format_number(servers.num_task_servers(), "0"));
    return true;
}

void RunSetup::save_settings_to_store() {
    SettingsStore& store = settings;
    store.set("ServerList", trim(controls.Text_server.text));
    store.set("WorkDrive", trim(job.work_drive));
    store.set("WorkFolder", trim(job.work_folder));
    store.set("LocalPath", job.local_path);
    store.set("JobID", job.job_id);
    store.set("MaxTasks", format_number(job.max_tasks, "0"));
    store.set("NetworkShare", job.network_share);
    store.set("UseRPC", job.use_rpc ? "Yes" : "No");
}

void RunSetup::finish_test(SetupProgress& setup) {
    setup.info_file.reset();  // the clean-up appends its total to the closed file
    parts_.run_control.cluster_cleanup();
    std::string summary;
    if (setup.opened_task_servers == 0) {
        summary =
            "Setup appears to be correct, but no task servers were opened\r\n"
            "Check that the RPC listener program is running";
    } else if (setup.opened_task_servers >= servers.num_task_servers() &&
               setup.failed_task_servers < 1) {
        summary = "Setup appears to be correct";
    } else {
        summary =
            "Setup appears to be correct, but not all of the requested task servers were "
            "opened\r\nCheck that the RPC listener program has enough clients enabled";
    }
    bool correct = summary == "Setup appears to be correct";
    if (correct) {
        dialogs.message(summary);
    } else {
        dialogs.warning(summary);
    }
    host.report_run_end(correct ? RunOutcome::test_correct : RunOutcome::test_incorrect);
}

void RunSetup::delete_unused_matrix_files(SetupProgress& setup) {
    if (setup.last_task == 0) {
        std::int32_t k = 1;
        for (; k <= data.num_components; ++k) {
            const std::string& file = setup.mtx_files.at(static_cast<std::size_t>(k));
            setup.write_info("Kill MTXfile " + format_number(k, "0") + ": " + file);
            delete_if_present(file);
        }
        std::string gtg = job.local_path + "gtg.dat";
        setup.write_info("Kill gtg file " + format_number(k, "0") + ": " + gtg);
        delete_if_present(gtg);
        std::string layer = job.local_path + "layer_response.dat";
        setup.write_info("Kill layer response file " + format_number(k, "0") + ": " + layer);
        delete_if_present(layer);
    }
    setup.info_file.reset();
}

void RunSetup::delete_if_present(const std::string& file) {
    if (files.file_exists(file) && !files.delete_files(file, false)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + file);
    }
}

void RunSetup::start_the_task_timer(SetupProgress& setup) {
    std::string started = format_date_time(clock, clock.now(), "dd-mmm-yyyy Hh:Nn:Ss");
    host.set_run_log("Zelkon Cluster started at " + started);
    if (!process_log.open(data.process_log_file)) {
        throw ZelkonError(kErrorPermissionDenied, "Permission denied: " + data.process_log_file);
    }
    process_log.write_plain(started + " Zelkon Cluster started");
    controls.Text_overheads.text = "100";
    run.run_terminated = false;
    run.timer_stage = 0;
    tasks.num_tasks_processing = 0;
    tasks.num_tasks_done = 0;
    run.last_task_failure.clear();
    assembly_state.assembly_running = false;
    tasks.last_assembled_task = setup.last_task;
    run.run_start_time = clock.now();
    run.run_start_tick_ms = clock.tick_ms();
    run.elapsed_seconds = 0.0;
    estimates = Estimates();
    Timer_cluster_task.set_interval(100);
    Timer_cluster_task.set_enabled(true);
    controls.Command_start_cluster_run[0].enabled = false;
    controls.Command_stop_cluster_run.visible = true;
    controls.Command_pause_run[0].visible = true;
    controls.Command_pause_run[1].visible = false;
}

void RunSetup::copy_assembly_log_to_run_log() {
    if (assembly_state.assembly_log_last_task < 1) {
        return;
    }
    host.append_run_log("\r" + assembly_state.assembly_log_header);
    for (std::int32_t t = 1; t <= assembly_state.assembly_log_last_task; ++t) {
        host.append_run_log("\r" +
                            assembly_state.assembly_log_lines.at(static_cast<std::size_t>(t)));
    }
}

void RunSetup::common_exit(SetupProgress& setup) {
    setup.info_file.reset();
    host.set_busy_pointer(false);
}

void RunSetup::setup_error_path(SetupProgress& setup, const std::exception& error) {
    run.run_terminated = true;
    Timer_cluster_task.set_interval(0);
    Timer_cluster_task.set_enabled(false);
    setup.info_file.reset();
    std::string hint = setup.setup_stage == 10
                           ? parts_.server_setup.remote_folder_hint(error_description(error))
                           : "";
    dialogs.warning(
        "An error occurred while setting up the cluster run: " + error_description(error) +
        " at stage " + format_number(setup.setup_stage, "0") +
        " while performing action: " + setup.setup_action + (hint.empty() ? "" : "\r\n" + hint));
    parts_.run_control.cluster_cleanup();
    remove_unused_job_folder(setup);
    host.set_busy_pointer(false);
    host.report_run_end(RunOutcome::error);
}

}  // namespace zelkon
