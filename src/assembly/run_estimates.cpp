#include "assembly/run_estimates.h"

#include <cmath>

#include "model/Module_zelkon_cluster.h"

namespace zelkon {
namespace {

// The longest time format_duration can write.
constexpr double kLongestDuration = 2147483647.0;

}  // namespace

void RunEstimates::refresh_run_estimates(
    std::int32_t task, const std::array<double, kMaxComponents + 1>& component_mb) {
    double last_datum = tasks.cluster_task[task].last_datum;
    double assembled_data = last_datum - tasks.data_done_at_start;
    show_expected_times(assembled_data);
    show_speedup(assembled_data);
    show_matrix_size(last_datum, component_mb[1]);
}

void RunEstimates::show_expected_times(double assembled_data) {
    if (assembled_data == 0) {
        return;
    }
    double estimate =
        (data.num_data - tasks.data_done_at_start) * run.elapsed_seconds / assembled_data;
    // An estimate that no clock could show (a damaged task table) would end
    // the run in every later tick; the last good one stays instead.
    if (!std::isfinite(estimate) || estimate < 0 || estimate > kLongestDuration) {
        return;
    }
    estimates.estimated_duration_seconds = estimate;
    estimates.expected_finish_time = run.run_start_time.plus_seconds(estimate);
    view.show_duration_estimate();
}

void RunEstimates::show_speedup(double assembled_data) {
    // This computer's first task server is the serial reference.
    float speedup = 0.0f;
    std::int32_t local = servers.local_task_server;
    if (servers.task_servers.contains(local) && servers.task_servers[local].data_started > 0) {
        speedup = static_cast<float>(assembled_data / servers.task_servers[local].data_started);
    }
    estimates.speedup = speedup;
    view.show_speedup();
}

void RunEstimates::show_matrix_size(double last_datum, double component_1_mb) {
    if (component_1_mb <= 0 || last_datum <= 0) {
        return;
    }
    estimates.compression.reset();
    if (data.mtx_mb_per_datum > 0) {
        estimates.compression = last_datum * data.mtx_mb_per_datum / component_1_mb;
    }
    estimates.projected_mb = data.num_data * component_1_mb / last_datum;
    view.show_matrix_size();
}

}  // namespace zelkon
