#include "engine/task_command.h"
#include "engine/task_engine.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {

// Failed servers never come back: once none is left, the completed tasks are
// merged first (the clean-up removes the job folder and their pieces), then
// the run ends.
void TaskEngine::end_run_when_no_server_is_left() {
    if (run_control_.has_usable_task_server() ||
        first_waiting_task(tasks.last_assembled_task + 1) == 0 || assembly_.running()) {
        return;
    }
    std::int32_t next = tasks.last_assembled_task + 1;
    if (next <= tasks.num_tasks && tasks.cluster_task[next].state == TaskState::complete) {
        return;  // the assembly takes it on this tick or the next
    }
    throw ZelkonError(kErrorNoTaskServerLeft, why_no_task_server_is_left(), "TaskEngine");
}

void TaskEngine::allocate_task_to_server() {
    std::int32_t task = first_waiting_task(tasks.last_assembled_task + 1);
    if (task == 0) {
        return;
    }
    std::int32_t first_free = first_free_server();
    if (first_free == 0) {
        return;  // busy servers free up again; with none left the tick ends the run
    }
    for (std::int32_t server = first_free; server <= servers.num_task_servers(); ++server) {
        if (servers.task_servers[server].busy || servers.task_servers[server].failed) {
            continue;
        }
        write_process_log(" Server available: " + servers.task_servers[server].name + "/" +
                          format_number(servers.task_servers[server].instance, "0"));
        if (!start_task_on_server(task, server)) {
            continue;  // the same task goes to the next free server
        }
        // Stop, clicked during the start's yield, promised that no new task
        // would start.
        if (run.run_terminated) {
            return;
        }
        // Tasks before this one are not waiting: nothing in a yield can make them so.
        task = first_waiting_task(task);
        if (task == 0) {
            return;
        }
    }
}

std::int32_t TaskEngine::first_waiting_task(std::int32_t from) const {
    for (std::int32_t task = from < 1 ? 1 : from; task <= tasks.num_tasks; ++task) {
        if (tasks.cluster_task[task].state == TaskState::waiting) {
            return task;
        }
    }
    return 0;
}

std::int32_t TaskEngine::first_free_server() const {
    for (std::int32_t server = 1; server <= servers.num_task_servers(); ++server) {
        const TaskServer& record = servers.task_servers[server];
        if (!record.busy && !record.failed) {
            return server;
        }
    }
    return 0;
}

bool TaskEngine::start_task_on_server(std::int32_t task, std::int32_t server) {
    ClusterTask& record = tasks.cluster_task[task];
    const TaskServer& slot = servers.task_servers[server];
    record.name = task_name(job.job_id, task);
    std::string semaphore = job.local_work_path + record.name + ".sem";
    if (!files.copy_file(data.semaphore_file, semaphore, true)) {
        throw ZelkonError(kErrorFileAccess, "Path/File access error: " + semaphore);
    }
    bool local = servers.machines.contains(slot.machine) &&
                 (servers.machines[slot.machine].is_local || servers.machines[slot.machine].slurm);
    TaskCommandParts parts{local ? job.local_work_path : job.network_work_path,
                           record.name,
                           data.cluster_data_file,
                           task,
                           record.first_datum,
                           record.last_datum,
                           slot.threads};
    // The log shows what runs, not the wrapper around it.
    write_process_log(" " + task_program_command(parts));
    if (start_command(server, task_command(parts)) != 0) {
        take_out_after_failed_start(server);
        return false;
    }
    book_start(task, server);
    return true;
}

void TaskEngine::take_out_after_failed_start(std::int32_t server) {
    TaskServer& slot = servers.task_servers[server];
    slot.failed = true;
    view.show_server_out_of_service(server);
    slot.busy = false;
    write_process_log(" Server failed to start task: " + slot.name + "/" +
                      format_number(slot.instance, "0") + start_failure_reason(server));
}

void TaskEngine::book_start(std::int32_t task, std::int32_t server) {
    ClusterTask& record = tasks.cluster_task[task];
    TaskServer& slot = servers.task_servers[server];
    record.state = TaskState::running;
    record.server = server;
    record.server_label = slot.name + "/" + format_number(slot.instance, "0");
    slot.busy = true;
    slot.task = task;
    slot.tasks_started += 1;
    slot.task_data = record.last_datum - record.first_datum + 1;
    slot.data_started += slot.task_data;
    slot.task_start_ms = tick_count_ms();
    tasks.num_tasks_processing += 1;
    view.show_task_counts();
    view.show_task_started(task);
    write_process_log(" Task ID started " + format_number(task, "0"));
    // Last, with the start booked: a Stop run here finds the task and server whole.
    events.yield();
}

}  // namespace zelkon
