// Starting the assembly of a batch of consecutive completed tasks.

#include <algorithm>

#include "assembly/assembly.h"
#include "model/Module_zelkon_cluster.h"

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
    // Two assemblies would write the same matrix files: a batch waits while
    // the last one started (by this run or one before it) is still going.
    if (hold_back(first, count) || !assembly_process_ended()) {
        hang_check_.check_for_hung_server(hung_count);
        ierr = 1;
        return;
    }
    for (std::int32_t k = first; k < first + count; ++k) {
        delete_marker(k);
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
    return !reaches_last_task && !run.run_terminated && !large_enough;
}

// Starts "zelkon_cluster_assemble" on tasks first..first+count-1 and writes
// the start to the process log, led by verb.
void Assembly::start_assembly(std::int32_t first, std::int32_t count, const std::string& verb) {
    const std::string& label = tasks.cluster_task[first].server_label;
    std::string command = "zelkon_cluster_assemble " + job.local_work_path +
                          data.cluster_data_file + " " + format_number(first, "0") + " " + label;
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
