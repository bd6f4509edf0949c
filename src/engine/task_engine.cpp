#include "engine/task_engine.h"

// The tick and its steps; until they are in place a started run waits.

namespace zelkon {

void TaskEngine::Timer_cluster_task_Timer() {}

void TaskEngine::allocate_task_to_server() {}

void TaskEngine::check_for_completed_tasks() {}

void TaskEngine::check_for_hung_server(std::int32_t& hung_count) {
    hung_count = 0;
}

void TaskEngine::update_speed_stats() {}

}  // namespace zelkon
