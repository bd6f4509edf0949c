#include "engine/run_control.h"

#include <algorithm>
#include <exception>
#include <functional>

#include "model/Module_zelkon_cluster.h"

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
    run.run_terminated = true;  // whichever way the run ended, no task starts now
    ignoring_errors([this] {
        process_log.write(" Zelkon Cluster ended");
        process_log.close();
    });
    ignoring_errors([this] {
        if (job.use_rpc) {
            close_task_server_pipes();
        }
    });
    ignoring_errors([this] { cancel_slurm_steps(); });
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        ignoring_errors([this, i] { remove_job_files_of_machine(i); });
    }
    ignoring_errors([this] {
        host.append_run_log("\r\rZelkon Cluster finished at " +
                            format_date_time(clock, clock.now(), "dd-mmm-yyyy Hh:Nn:Ss"));
    });
    ignoring_errors([this] {
        // Only an info file the set-up wrote gets the total; none is made here.
        std::string info = setup_info_file(job.local_path, job.job_id);
        if (!job.local_path.empty() && files.file_exists(info)) {
            auto writer = files.open_writer(info, true);
            if (writer) {
                writer->write_line("");
                writer->write_line("Total Time Servers: " + format_duration(run.elapsed_seconds));
            }
        }
    });
    view.show_run_ended();
    Timer_cluster_task.set_interval(0);
    Timer_cluster_task.set_enabled(false);
}

void RunControl::close_task_server_pipes() {
    auto pipes = std::min(static_cast<std::size_t>(servers.num_task_servers()),
                          channels.PipeRPC_Zelkon.size());
    for (std::size_t i = 0; i < pipes; ++i) {
        PipeRPC& pipe = *channels.PipeRPC_Zelkon[i];
        ignoring_errors([&pipe] { pipe.ClosePipe(); });
    }
}

// A step still running after the end holds CPUs of the allocation for work
// whose folder is about to go.
void RunControl::cancel_slurm_steps() {
    int cancelled = slurm.cancel_running_steps();
    if (cancelled > 0) {
        host.append_run_log("\r\rCancelled " + format_number(cancelled, "0") +
                            " Slurm job steps of this run that were still running");
    }
}

void RunControl::remove_job_files_of_machine(std::int32_t index) {
    if (!servers.machines.contains(index)) {
        return;
    }
    const Machine& machine = servers.machines[index];
    if (!job.network_share.empty() && !machine.is_local) {
        return;  // other machines reach the controller's folder through the share
    }
    if (servers.task_servers.contains(machine.first_task_server) &&
        !data.cluster_data_file.empty()) {
        std::string copy =
            with_separator(servers.task_servers[machine.first_task_server].work_path) +
            data.cluster_data_file;
        if (files.file_exists(copy)) {
            files.delete_files(copy, false);
        }
    }
    const std::string& folder = machine.network_path;
    if (!folder.empty() && files.folder_exists(folder)) {
        files.delete_files(with_separator(folder) + "*.*", false);
        files.delete_folder(folder, true);
    }
}

}  // namespace zelkon
