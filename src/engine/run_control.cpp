#include "engine/run_control.h"

#include <algorithm>
#include <exception>
#include <functional>

#include "controller/Module_zelkon_cluster.h"

namespace zelkon {
namespace {

// Runs one step of the clean-up; a failing step never stops the next.
void ignoring_errors(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

void RunControl::cluster_cleanup() {
    state.run_terminated = true;  // whichever way the run ended, no task starts now
    ignoring_errors([this] {
        if (state.process_log) {
            state.process_log->write_line(
                format_date_time(platform.clock, platform.clock.now(), "Hh:Nn:Ss") +
                " Zelkon Cluster ended");
            state.process_log.reset();
        }
    });
    ignoring_errors([this] {
        if (state.use_rpc) {
            close_task_server_pipes();
        }
    });
    ignoring_errors([this] { cancel_slurm_steps(); });
    for (std::int32_t i = 1; i <= state.num_servers(); ++i) {
        ignoring_errors([this, i] { remove_job_files_of_machine(i); });
    }
    ignoring_errors([this] {
        append_run_log(
            "\r\rZelkon Cluster finished at " +
            format_date_time(platform.clock, platform.clock.now(), "dd-mmm-yyyy Hh:Nn:Ss"));
    });
    ignoring_errors([this] {
        // Only an info file the set-up wrote gets the total; none is made here.
        std::string info = setup_info_file(state.local_path, state.job_id);
        if (!state.local_path.empty() && platform.files.file_exists(info)) {
            auto writer = platform.files.open_writer(info, true);
            if (writer) {
                writer->write_line("");
                writer->write_line("Total Time Servers: " + controls.Label_logging_time.caption);
            }
        }
    });
    controls.Command_stop_cluster_run.visible = false;
    controls.Command_start_cluster_run[0].enabled = true;
    controls.Command_pause_run[0].visible = false;
    controls.Command_pause_run[1].visible = false;
    Timer_cluster_task.set_interval(0);
    Timer_cluster_task.set_enabled(false);
}

void RunControl::close_task_server_pipes() {
    auto pipes =
        std::min(static_cast<std::size_t>(state.num_task_servers()), state.PipeRPC_Zelkon.size());
    for (std::size_t i = 0; i < pipes; ++i) {
        PipeRPC& pipe = *state.PipeRPC_Zelkon[i];
        ignoring_errors([&pipe] { pipe.ClosePipe(); });
    }
}

// A step still running after the end holds CPUs of the allocation for work
// whose folder is about to go.
void RunControl::cancel_slurm_steps() {
    int cancelled = platform.slurm.cancel_running_steps();
    if (cancelled > 0) {
        append_run_log("\r\rCancelled " + format_number(cancelled, "0") +
                       " Slurm job steps of this run that were still running");
    }
}

void RunControl::remove_job_files_of_machine(std::int32_t index) {
    if (!state.machines.contains(index)) {
        return;
    }
    const Machine& machine = state.machines[index];
    if (!state.network_share.empty() && !machine.is_local) {
        return;  // other machines reach the controller's folder through the share
    }
    if (state.task_servers.contains(machine.first_task_server) &&
        !state.cluster_data_file.empty()) {
        std::string copy = with_separator(state.task_servers[machine.first_task_server].work_path) +
                           state.cluster_data_file;
        if (platform.files.file_exists(copy)) {
            platform.files.delete_files(copy, false);
        }
    }
    const std::string& folder = machine.network_path;
    if (!folder.empty() && platform.files.folder_exists(folder)) {
        platform.files.delete_files(with_separator(folder) + "*.*", false);
        platform.files.delete_folder(folder, true);
    }
}

}  // namespace zelkon
