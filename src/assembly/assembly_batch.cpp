// Starting the assembly of a batch of consecutive completed tasks.

#include <algorithm>

#include "assembly/assembly.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "platform/shell_words.h"

namespace zelkon {

void Assembly::start_batch(std::int32_t& ierr) {
    std::int32_t first = tasks.last_assembled_task + 1;
    if (first > tasks.num_tasks) {
        return;  // every task is assembled
    }
    std::int32_t hung_count = 0;
    if (tasks.cluster_task[first].state != TaskState::complete) {
        hang_check_.check_for_hung_server(hung_count);
        return;
    }
    std::int32_t count = count_batch(first);
    end_assembly_hung_on_exit();
    // Two assemblies would write the same matrix files: a batch waits while
    // the last one started (by this run or one before it) is still going.
    if (hold_back(first, count) || !assembly_process_ended()) {
        hang_check_.check_for_hung_server(hung_count);
        ierr = 1;
        return;
    }
    for (std::int32_t k = first; k < first + count; ++k) {
        // A stale marker would count the task as merged before the
        // assembly reaches it, and the last batch would end the run early.
        delete_marker(k);
        if (files.file_exists(marker_of(k))) {
            throw ZelkonError(kErrorFileAccess, "Path/File access error: " + marker_of(k));
        }
        tasks.cluster_task[k].in_batch = k < first + count - 1 ? 1 : 0;
    }
    restarted_task_ = 0;
    restarts_ = 0;
    start_assembly(first, count, "Start cluster assembly");
    for (std::int32_t k = first; k < first + count; ++k) {
        tasks.cluster_task[k].state = TaskState::in_assembly;
    }
    assembly_state.assembly_running = true;
    tasks.last_assembled_task = first;
}

// An assembly still running long after it merged its batch's last task hangs
// on its way out; every later batch would wait for it for ever.
void Assembly::end_assembly_hung_on_exit() {
    if (batch_merged_ms_ < 0 || assembly_process_ended() ||
        clock.tick_ms() - batch_merged_ms_ <= kAssemblyExitLimitMs) {
        return;
    }
    processes.end(assembly_state.assembly_process_id);
    write_process_log("Cluster assembly process " +
                      format_number(assembly_state.assembly_process_id, "0") + " still running " +
                      format_number(kAssemblyExitLimitMs / 1000, "0") +
                      " s after its batch was merged, ended");
    batch_merged_ms_ = -1;
}

std::int32_t Assembly::count_batch(std::int32_t first) const {
    std::int32_t count = 1;
    for (std::int32_t k = first + 1; k <= tasks.num_tasks; ++k) {
        if (tasks.cluster_task[k].state != TaskState::complete) {
            break;
        }
        ++count;
    }
    return count;
}

bool Assembly::hold_back(std::int32_t first, std::int32_t count) const {
    bool reaches_last_task = first + count - 1 >= tasks.num_tasks;
    bool large_enough = count >= std::max(servers.num_task_servers(), kMinimumBatch);
    // With every task server out of service no further task completes.
    bool servers_left = std::any_of(servers.task_servers.begin(), servers.task_servers.end(),
                                    [](const TaskServer& server) { return !server.failed; });
    return !reaches_last_task && !run.run_terminated && !large_enough && servers_left;
}

// Starts "zelkon_cluster_assemble" on tasks first..first+count-1 and writes
// the start to the process log, led by verb.
void Assembly::start_assembly(std::int32_t first, std::int32_t count, const std::string& verb) {
    const std::string& label = tasks.cluster_task[first].server_label;
    std::string command = "zelkon_cluster_assemble " +
                          shell_word(job.local_work_path + data.cluster_data_file) + " " +
                          format_number(first, "0") + " " + shell_word(label);
    if (count > 1) {
        command += " " + format_number(count, "0");
    }
    // The reason of an earlier failure must not be read as this start's.
    if (files.file_exists(error_file())) {
        files.delete_files(error_file(), false);
    }
    assembly_state.assembly_process_id = start_process(command);
    ended_process_id_ = 0;
    write_process_log(verb + " " + format_number(first, "0") + " " + label + " " +
                      format_number(count, "0"));
    write_process_log(format_number(assembly_state.assembly_process_id, "0") + " " + command);
}

// Starts the command on this computer in the inversion folder; the process
// id, or 0 when it did not start (the watch then restarts it).
std::int32_t Assembly::start_process(const std::string& command) {
    if (job.use_rpc) {
        StartResult started = processes.start(command, job.local_path);
        return started.started ? started.process_id : 0;
    }
    if (!wmi_process_class) {
        wmi_process_class = management.connect(job.local_computer_name);
    }
    int process_id = 0;
    if (wmi_process_class->Create(command, job.local_path, process_id) != 0) {
        return 0;
    }
    return process_id;
}

}  // namespace zelkon
