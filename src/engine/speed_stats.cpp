#include "engine/task_engine.h"

namespace zelkon {

void TaskEngine::update_speed_stats() {
    // The smallest positive speed of all task servers, failed ones included:
    // a server without a speed yet must not switch the hang check off.
    state.servers_reporting = 0;
    state.slowest_speed = 0.0f;
    for (const TaskServer& server : state.task_servers) {
        if (server.data_per_min > 0.0f &&
            (state.slowest_speed == 0.0f || server.data_per_min < state.slowest_speed)) {
            state.slowest_speed = server.data_per_min;
        }
        if (server.tasks_completed > 0) {
            state.servers_reporting += 1;
        }
    }
}

}  // namespace zelkon
