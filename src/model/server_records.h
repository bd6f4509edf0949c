#pragma once

#include <cstdint>
#include <string>

#include "model/fixed_ms.h"
#include "model/one_based.h"

namespace zelkon {

// One machine of the server list, numbered from 1.
struct Machine {
    std::string name;
    std::int32_t count = 1;    // task servers on it
    std::int32_t threads = 0;  // per task; 0 = not given
    std::int32_t first_task_server = 0;
    bool is_local = false;
    bool slurm = false;        // a node of the allocation, reached by job steps
    std::string work_path;     // the job folder as the machine sees it
    std::string network_path;  // the job folder as the controller reaches it
    std::string unreachable;   // why no pipe of it can open (ssh's words), if so
};

// One task server (a slot of a machine), numbered from 1.
struct TaskServer {
    std::string name;
    std::int32_t machine = 0;
    std::int32_t instance = 0;
    std::int32_t threads = 0;
    bool failed = false;
    std::int32_t tasks_started = 0;
    std::int32_t data_started = 0;
    std::int32_t task_data = 0;
    std::string work_path;
    bool busy = false;
    std::int32_t task = 0;
    FixedMs task_start_ms;
    FixedMs task_elapsed_ms;
    FixedMs compute_ms;
    FixedMs overhead_ms;
    std::int32_t tasks_completed = 0;
    float data_per_min = 0.0f;
    std::int32_t tasks_failed_in_a_row = 0;  // tasks that failed with an .err file
};

// The machines of the server list and their task servers. The settings check
// builds it; the set-up and the engine mark servers out of service and keep
// their figures.
struct ServerTable {
    OneBased<Machine> machines;
    std::int32_t num_servers() const { return machines.size(); }
    OneBased<TaskServer> task_servers;
    std::int32_t num_task_servers() const { return task_servers.size(); }
    std::int32_t local_task_server = 0;
    // Kept by the speed statistics on every tick.
    std::int32_t servers_reporting = 0;
    float slowest_speed = 0.0f;
};

}  // namespace zelkon
