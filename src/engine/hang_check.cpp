#include "controller/Module_zelkon_cluster.h"
#include "engine/hang_rule.h"
#include "engine/task_engine.h"

namespace zelkon {

void TaskEngine::check_for_hung_server(std::int32_t& hung_count) {
    hung_count = 0;
    // With fewer than two servers that have finished a task there is no
    // basis for calling one slow.
    if (!(state.slowest_speed > 0.0f) || state.num_task_servers() < 1 ||
        state.servers_reporting < 2) {
        return;
    }
    for (std::int32_t server = 1; server <= state.num_task_servers(); ++server) {
        const TaskServer& slot = state.task_servers[server];
        if (!slot.busy || slot.failed) {
            continue;
        }
        if (is_hung(tick_count_ms() - slot.task_start_ms, slot.task_data, state.slowest_speed,
                    state.servers_reporting)) {
            hung_count += 1;
            take_out_hung_server(server);
        }
    }
}

void TaskEngine::take_out_hung_server(std::int32_t server) {
    TaskServer& slot = state.task_servers[server];
    slot.failed = true;
    show_server_out_of_service(server);
    slot.busy = false;
    state.num_tasks_processing -= 1;
    controls.Text_tasks_processing.text = format_number(state.num_tasks_processing, "0");
    platform.events.yield();
    // The hung process goes on; its task is offered to the next free server.
    state.cluster_task[state.task_servers[server].task].state = TaskState::waiting;
}

}  // namespace zelkon
