#pragma once

#include <array>
#include <cstdint>

#include "model/job_settings.h"
#include "model/run_progress.h"
#include "model/run_view.h"
#include "model/server_records.h"
#include "model/task_records.h"

namespace zelkon {

// The run estimates that the assembly refreshes: expected duration, finish
// and remaining time, speed-up, compression and projected matrix size.
class RunEstimates {
  public:
    RunEstimates(const JobData& data, const ServerTable& servers, const TaskTable& tasks,
                 const RunProgress& run, Estimates& estimates, RunView& view)
        : data(data), servers(servers), tasks(tasks), run(run), estimates(estimates), view(view) {}

    // With task `task` just assembled; component_mb[1] is component 1's
    // matrix size so far in megabytes (0 when unknown). A figure whose
    // divisor would be 0 keeps its last value.
    void refresh_run_estimates(std::int32_t task,
                               const std::array<double, kMaxComponents + 1>& component_mb);

  private:
    void show_expected_times(double assembled_data);
    void show_speedup(double assembled_data);
    void show_matrix_size(double last_datum, double component_1_mb);

    const JobData& data;
    const ServerTable& servers;
    const TaskTable& tasks;
    const RunProgress& run;
    Estimates& estimates;
    RunView& view;
};

}  // namespace zelkon
