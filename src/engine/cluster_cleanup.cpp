#include <exception>
#include <functional>

#include "controller/Form_zelkon_cluster_controller.h"
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

std::string in_folder(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

void Form_zelkon_cluster_controller::cluster_cleanup() {
    ignoring_errors([this] {
        if (state.process_log) {
            state.process_log->write_line(format_date_time(platform.clock.now(), "Hh:Nn:Ss") +
                                          " Zelkon Cluster ended");
            state.process_log.reset();
        }
    });
    ignoring_errors([this] {
        if (state.use_rpc) {
            close_task_server_pipes();
        }
    });
    for (std::int32_t i = 1; i <= state.num_servers; ++i) {
        ignoring_errors([this, i] { remove_job_files_of_machine(i); });
    }
    ignoring_errors([this] {
        append_run_log("\r\rZelkon Cluster finished at " +
                       format_date_time(platform.clock.now(), "dd-mmm-yyyy Hh:Nn:Ss"));
    });
    ignoring_errors([this] {
        // Only an info file the set-up wrote gets the total; none is made here.
        std::string info = state.local_path + "zelkon_cluster_init_" + state.job_id + ".info";
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
    Timer_cluster_task->set_interval(0);
    Timer_cluster_task->set_enabled(false);
}

void Form_zelkon_cluster_controller::remove_job_files_of_machine(std::int32_t machine) {
    auto index = static_cast<std::size_t>(machine);
    if (index >= state.server_is_local.size()) {
        return;  // the machine's folders were never set up
    }
    if (!state.network_share.empty() && !state.server_is_local[index]) {
        return;  // other machines reach the controller's folder through the share
    }
    if (index < state.server_first_task_server.size() && !state.cluster_data_file.empty()) {
        auto first = static_cast<std::size_t>(state.server_first_task_server[index]);
        if (first < state.task_servers.size()) {
            std::string copy =
                in_folder(state.task_servers[first].work_path, state.cluster_data_file);
            if (platform.files.file_exists(copy)) {
                platform.files.delete_files(copy, false);
            }
        }
    }
    if (index < state.server_network_path.size()) {
        const std::string& folder = state.server_network_path[index];
        if (!folder.empty() && platform.files.folder_exists(folder)) {
            platform.files.delete_files(in_folder(folder, "*.*"), false);
            platform.files.delete_folder(folder, true);
        }
    }
}

}  // namespace zelkon
