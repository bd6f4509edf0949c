#pragma once

#include <cstdint>

namespace zelkon {

// What a running job shows. The engine and the assembly change the records
// and say which part of the view is due; the form's presenter draws that
// part from the records, so that no subsystem below the form writes display
// text.
class RunView {
  public:
    virtual ~RunView() = default;

    // The counts of running, remaining and done tasks.
    virtual void show_task_counts() = 0;
    // The task just started, on the progress bar.
    virtual void show_task_started(std::int32_t task) = 0;
    // The last task merged into the matrix.
    virtual void show_task_assembled(std::int32_t task) = 0;
    // A task server's tasks run and speed, after one of its tasks ended.
    virtual void show_server_speed(std::int32_t server) = 0;
    // A task server's computation and overhead times.
    virtual void show_server_times(std::int32_t server) = 0;
    virtual void show_server_out_of_service(std::int32_t server) = 0;
    // The elapsed time and, while the estimate leaves some, the time remaining.
    virtual void show_run_time() = 0;
    // The overheads as a share of the computation, once there is some.
    virtual void show_overheads() = 0;
    // The estimated duration, finish and remaining time, just worked out.
    virtual void show_duration_estimate() = 0;
    virtual void show_speedup() = 0;
    // The compression, when known, and the projected matrix size.
    virtual void show_matrix_size() = 0;
    // The run's buttons: Start enabled and Stop and Pause hidden once it ended;
    // Pause or Resume shown while it goes.
    virtual void show_run_ended() = 0;
    virtual void show_paused(bool paused) = 0;
};

}  // namespace zelkon
