#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace zelkon {

// Whether the run goes on, and its clock.
struct RunProgress {
    bool run_terminated = true;  // no new task may start
    std::int32_t timer_stage = 0;
    std::int32_t exit_when_finished = 0;
    std::int32_t next_job_id = 0;
    DateTime run_start_time;
    // The monotonic clock at the run's start: elapsed time never follows a
    // change of the wall clock.
    std::int64_t run_start_tick_ms = 0;
    DateTime tick_time;
    double elapsed_seconds = 0.0;
    // What the last task taken for hung said in its .err file, with the
    // task and server: the reason given when no task server is left.
    std::string last_task_failure;
};

// The run estimates, refreshed as tasks are assembled. A figure whose
// divisor was 0 keeps its last value; one never worked out is unknown.
struct Estimates {
    DateTime expected_finish_time;
    double estimated_duration_seconds = 0.0;
    float speedup = 0.0f;
    std::optional<double> compression;
    std::optional<double> projected_mb;
};

// The assembly log in memory, and the assembly process.
struct AssemblyProgress {
    std::int32_t assembly_log_last_task = 0;
    std::string assembly_log_header;
    std::vector<std::string> assembly_log_lines;
    bool assembly_running = false;
    std::int32_t assembly_process_id = 0;
};

}  // namespace zelkon
