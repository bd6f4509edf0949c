#include "engine/task_engine.h"

namespace zelkon {

void TaskEngine::update_speed_stats() {
    // The smallest positive speed of all task servers, failed ones included:
    // a server without a speed yet must not switch the hang check off.
    servers.servers_reporting = 0;
    servers.slowest_speed = 0.0f;
    for (const TaskServer& server : servers.task_servers) {
        if (server.data_per_min > 0.0f &&
            (servers.slowest_speed == 0.0f || server.data_per_min < servers.slowest_speed)) {
            servers.slowest_speed = server.data_per_min;
        }
        if (server.tasks_completed > 0) {
            servers.servers_reporting += 1;
        }
    }
}

}  // namespace zelkon
