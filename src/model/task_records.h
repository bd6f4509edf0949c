#pragma once

#include <cstdint>
#include <string>

#include "model/one_based.h"

namespace zelkon {

// The states of a task, in the order a task passes them.
enum class TaskState : std::int32_t {
    waiting = 0,
    running = 1,
    complete = 2,
    in_assembly = 3,
    assembled = 4,
};

// The most components a matrix has (one matrix file each).
inline constexpr std::int32_t kMaxComponents = 6;

// One task of the run, numbered from 1.
struct ClusterTask {
    std::string name;
    std::int32_t first_datum = 0;
    std::int32_t last_datum = 0;
    std::int32_t in_batch = 0;
    TaskState state = TaskState::waiting;
    std::int32_t server = 0;
    std::string server_label;
};

// The run's tasks and how far they have come. The task division fills it;
// the engine moves tasks through their states and the assembly marks them
// assembled.
struct TaskTable {
    std::int32_t data_step = 0;
    std::int32_t num_tasks = 0;
    OneBased<ClusterTask> cluster_task;
    std::int32_t last_assembled_task = 0;
    std::int32_t num_tasks_processing = 0;
    std::int32_t num_tasks_done = 0;
    // Data points already in the matrix when a continued run started.
    std::int32_t data_done_at_start = 0;
};

}  // namespace zelkon
