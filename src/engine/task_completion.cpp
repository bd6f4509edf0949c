#include <cmath>
#include <exception>
#include <vector>

#include "engine/task_engine.h"
#include "engine/task_log.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {
namespace {

constexpr int kErrorFileNotReadable = 70;

constexpr int kFailuresInARow = 2;

FixedMs fixed_ms_of(float milliseconds) {
    if (!FixedMs::holds(milliseconds)) {
        throw ZelkonError(kErrorOverflow, "Overflow");
    }
    return FixedMs::from_ms(milliseconds);
}

}  // namespace

void TaskEngine::check_for_completed_tasks() {
    // A log the task program still holds, or one that cannot be read, is
    // looked at again on the next tick; no message.
    try {
        for (std::int32_t server = 1; server <= servers.num_task_servers(); ++server) {
            if (servers.task_servers[server].busy && !take_out_if_start_refused(server)) {
                collect_if_complete(server);
            }
        }
    } catch (const std::exception&) {
    }
}

void TaskEngine::collect_if_complete(std::int32_t server) {
    const ClusterTask& task = tasks.cluster_task[servers.task_servers[server].task];
    std::string base = job.local_work_path + task.name;
    // The task program writes its log before it removes its semaphore; one
    // that cannot run keeps its semaphore and says why in its .err file.
    if (files.file_exists(base + ".sem")) {
        if (files.file_exists(base + ".err")) {
            book_failure(server, base + ".err");
        }
        return;
    }
    if (!files.file_exists(base + ".log")) {
        return;
    }
    FixedMs elapsed = tick_count_ms() - servers.task_servers[server].task_start_ms;
    std::vector<std::string> lines;
    if (!files.read_lines(base + ".log", lines)) {
        throw ZelkonError(kErrorFileNotReadable, "Permission denied: " + base + ".log");
    }
    ClockTimeTaken clock_time = read_clock_time_taken(lines);
    FixedMs compute = fixed_ms_of(clock_time.computation_ms);
    servers.task_servers[server].task_elapsed_ms = elapsed;
    book_completion(server, compute, clock_time.line);
}

void TaskEngine::book_completion(std::int32_t server, FixedMs compute,
                                 const std::string& clock_line) {
    TaskServer& slot = servers.task_servers[server];
    std::int32_t task = slot.task;
    slot.compute_ms += compute;
    FixedMs overhead = slot.task_elapsed_ms - compute;
    if (overhead.scaled() > 0) {
        slot.overhead_ms += overhead;
    }
    if (run.elapsed_seconds > 0) {
        slot.data_per_min = static_cast<float>(slot.data_started / (run.elapsed_seconds / 60.0));
    }
    tasks.cluster_task[task].state = TaskState::complete;
    slot.tasks_completed += 1;
    slot.tasks_failed_in_a_row = 0;
    view.show_server_speed(server);
    slot.busy = false;
    tasks.num_tasks_processing -= 1;
    tasks.num_tasks_done += 1;
    view.show_task_counts();
    write_process_log(
        " Job " + format_number(task, "0") + " complete on server " + slot.name + "/" +
        format_number(slot.instance, "0") + " CPU: " + format_number(compute.ms() / 1000.0, "0.0") +
        " Overhead: " + format_number(overhead.ms() / 1000.0, "0.0") + " " + clock_line);
    // Last, with the task and its server booked: a Stop run here finds both whole.
    events.yield();
}

// The task is offered again; a server whose tasks fail twice in a row is
// taken out of service, since the fault is more likely its own than the task's.
void TaskEngine::book_failure(std::int32_t server, const std::string& error_file) {
    TaskServer& slot = servers.task_servers[server];
    std::vector<std::string> lines;
    files.read_lines(error_file, lines);
    // The next attempt's reason must be its own.
    files.delete_files(error_file, true);
    std::string label = slot.name + "/" + format_number(slot.instance, "0");
    std::string reason = lines.empty() ? "no reason given" : lines.front();
    run.last_task_failure =
        "task " + format_number(slot.task, "0") + " on " + label + ": " + reason;
    write_process_log(" Task " + format_number(slot.task, "0") + " failed on server " + label +
                      ": " + reason);
    tasks.cluster_task[slot.task].state = TaskState::waiting;
    slot.busy = false;
    slot.data_started -= slot.task_data;
    slot.tasks_failed_in_a_row += 1;
    if (slot.tasks_failed_in_a_row >= kFailuresInARow) {
        slot.failed = true;
        view.show_server_out_of_service(server);
        write_process_log(" Server taken out of service, its tasks failed twice in a row: " +
                          label);
    }
    tasks.num_tasks_processing -= 1;
    view.show_task_counts();
    events.yield();
}

}  // namespace zelkon
