// Following a running batch through the merge markers and the assembly log.

#include "assembly/assembly.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {

void Assembly::follow_batch() {
    // Read before the markers: the assembly creates a task's marker before it
    // ends, so a process seen ended here has made every marker it ever will.
    bool ended = assembly_process_ended();
    DecodedLine decoded;
    while (true) {
        std::int32_t task = tasks.last_assembled_task;
        if (!files.file_exists(marker_of(task))) {
            if (ended) {
                restart_or_fail(task);
            }
            return;
        }
        write_process_log("Cluster assembly " + format_number(task, "0") + " finished");
        follow_up_task(task, decoded);
        write_process_log("Cluster assembly stats updated");
        if (tasks.cluster_task[task].in_batch < 1) {
            assembly_state.assembly_running = false;
            batch_merged_ms_ = clock.tick_ms();
            return;
        }
        tasks.cluster_task[task].in_batch = 0;
        ++tasks.last_assembled_task;
        if (run.run_terminated) {
            assembly_state.assembly_running = false;
            return;
        }
    }
}

void Assembly::follow_up_task(std::int32_t task, DecodedLine& decoded) {
    std::int32_t ierr = 0;
    if (assembly_state.assembly_log_last_task < task) {
        assembly_log_.load_assembly_dat_file(ierr);
    }
    // A log that cannot be read (its message shown) loses the task's line,
    // not the task: the marker says it is merged, and the run must still be
    // able to end.
    if (ierr == 0) {
        read_assembly_line(task, decoded);
    }
    ClusterTask& record = tasks.cluster_task[task];
    record.state = TaskState::assembled;
    view.show_server_times(record.server);
    view.show_task_assembled(task);
    if (task % 5 == 0 || task == tasks.num_tasks) {
        estimates_.refresh_run_estimates(task, decoded.component_mb);
    }
    delete_marker(task);
}

void Assembly::read_assembly_line(std::int32_t task, DecodedLine& decoded) {
    if (task == 1) {
        host.append_run_log("\r" + assembly_state.assembly_log_header);
    }
    if (assembly_state.assembly_log_last_task < task) {
        return;
    }
    const std::string& line = assembly_state.assembly_log_lines.at(static_cast<std::size_t>(task));
    host.append_run_log("\r" + line);
    std::int32_t ierr = 0;
    decode_cluster_assembly_line(line, decoded.task_id, decoded.first_data, decoded.last_data,
                                 data.num_components, decoded.component_mb, ierr);
    if (ierr == 0) {
        book_assembly_time(task, line);
    }
    if (decoded.last_data == data.num_data) {
        tasks.cluster_task[tasks.num_tasks].state = TaskState::assembled;
    }
}

// The assembly time (columns 47-56, seconds) counts as overhead of the task
// server that ran the task.
void Assembly::book_assembly_time(std::int32_t task, const std::string& line) {
    FixedMs time = assembly_time_of(line);
    std::int32_t server = tasks.cluster_task[task].server;
    if (time.scaled() > 0 && servers.task_servers.contains(server)) {
        FixedMs& overhead = servers.task_servers[server].overhead_ms;
        if (!FixedMs::holds(overhead.ms() + time.ms())) {
            throw ZelkonError(kErrorOverflow, "Overflow");
        }
        overhead += time;
    }
}

}  // namespace zelkon
