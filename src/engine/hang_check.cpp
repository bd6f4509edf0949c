#include <string>
#include <vector>

#include "engine/hang_rule.h"
#include "engine/task_engine.h"
#include "model/Module_zelkon_cluster.h"

namespace zelkon {

void TaskEngine::check_for_hung_server(std::int32_t& hung_count) {
    hung_count = 0;
    // With fewer than two servers that have finished a task there is no
    // basis for calling one slow.
    if (!(servers.slowest_speed > 0.0f) || servers.num_task_servers() < 1 ||
        servers.servers_reporting < 2) {
        return;
    }
    for (std::int32_t server = 1; server <= servers.num_task_servers(); ++server) {
        const TaskServer& slot = servers.task_servers[server];
        if (!slot.busy || slot.failed) {
            continue;
        }
        if (is_hung(tick_count_ms() - slot.task_start_ms, slot.task_data, servers.slowest_speed,
                    servers.servers_reporting)) {
            hung_count += 1;
            take_out_hung_server(server);
        }
    }
}

void TaskEngine::take_out_hung_server(std::int32_t server) {
    TaskServer& slot = servers.task_servers[server];
    slot.failed = true;
    view.show_server_out_of_service(server);
    log_task_failure(server);
    slot.busy = false;
    // The hung process goes on; its task is offered to the next free server.
    // It waits again before the yield, so that whatever runs there finds the
    // task and its server agreeing.
    tasks.cluster_task[slot.task].state = TaskState::waiting;
    tasks.num_tasks_processing -= 1;
    view.show_task_counts();
    events.yield();
}

void TaskEngine::log_task_failure(std::int32_t server) {
    const TaskServer& slot = servers.task_servers[server];
    std::string label = slot.name + "/" + format_number(slot.instance, "0");
    std::string task = format_number(slot.task, "0");
    std::string error_file = job.local_work_path + tasks.cluster_task[slot.task].name + ".err";
    std::vector<std::string> lines;
    if (!files.file_exists(error_file) || !files.read_lines(error_file, lines) || lines.empty()) {
        write_process_log(" Server taken out of service, task " + task +
                          " gave no result in time: " + label);
        return;
    }
    files.delete_files(error_file, true);
    run.last_task_failure = "task " + task + " on " + label + ": " + lines.front();
    write_process_log(" Server taken out of service, " + run.last_task_failure);
}

std::string TaskEngine::why_no_task_server_is_left() {
    std::string message = kNoTaskServerLeft;
    // Tasks fail alike on every server when their job folder is read-only
    // or full, and then the task programs may not even say why.
    const std::string& folder = job.local_work_path;
    std::string probe = folder + "zelkon_write_check.tmp";
    if (!folder.empty() && files.folder_exists(folder)) {
        // A line, not an empty file: a full disk still makes empty files.
        auto writer = files.open_writer(probe, false);
        bool written = writer && writer->write_line("") && writer->close();
        files.delete_files(probe, true);
        if (!written) {
            return message + ": the job folder " + folder + " cannot be written";
        }
    }
    return run.last_task_failure.empty() ? message : message + "; " + run.last_task_failure;
}

}  // namespace zelkon
