#include "form/run_presenter.h"

#include <algorithm>

#include "model/Module_zelkon_cluster.h"
#include "model/fixed_ms.h"

namespace zelkon {
namespace {

constexpr int kTasksRunColumn = 2;
constexpr int kSpeedColumn = 3;
constexpr int kComputeColumn = 4;
constexpr int kOverheadColumn = 5;

}  // namespace

GridCell* RunPresenter::grid_cell(std::int32_t server, int column) {
    GridControl& grid = controls_.Grid_server_stats;
    if (server < 0 || server >= grid.rows() || column < 0 || column >= grid.cols()) {
        return nullptr;
    }
    return &grid.cell(server, column);
}

void RunPresenter::show_task_counts() {
    controls_.Text_tasks_processing.text = format_number(tasks_.num_tasks_processing, "0");
    controls_.Text_tasks_remaining.text =
        format_number(tasks_.num_tasks - tasks_.num_tasks_done, "0");
    controls_.Text_tasks_done.text = format_number(tasks_.num_tasks_done, "0");
}

void RunPresenter::show_task_started(std::int32_t task) {
    controls_.ProgressBar_tasks.value = task;
}

void RunPresenter::show_task_assembled(std::int32_t task) {
    controls_.Text_tasks_completed.text = format_number(task, "0");
}

void RunPresenter::show_server_speed(std::int32_t server) {
    const TaskServer& slot = servers_.task_servers[server];
    if (GridCell* cell = grid_cell(server, kTasksRunColumn)) {
        cell->text = format_number(slot.tasks_started, "0");
    }
    if (GridCell* cell = grid_cell(server, kSpeedColumn)) {
        cell->text = format_number(slot.data_per_min, "0.0");
    }
}

void RunPresenter::show_server_times(std::int32_t server) {
    // Both columns or neither: a grid without them was laid out for another run.
    if (!servers_.task_servers.contains(server) || !grid_cell(server, kOverheadColumn)) {
        return;
    }
    const TaskServer& record = servers_.task_servers[server];
    grid_cell(server, kComputeColumn)->text = format_number(record.compute_ms.ms() / 60000, "0.0");
    grid_cell(server, kOverheadColumn)->text = format_number(record.overhead_ms.ms() / 1000, "0.0");
}

void RunPresenter::show_server_out_of_service(std::int32_t server) {
    if (GridCell* cell = grid_cell(server, kGridEnabledColumn)) {
        cell->back_color = kColorRed;
    }
}

void RunPresenter::show_run_time() {
    controls_.Label_logging_time.caption = format_duration(run_.elapsed_seconds);
    double remaining = estimates_.estimated_duration_seconds - run_.elapsed_seconds;
    if (remaining > 0) {
        controls_.Label_estimated_time_remaining.caption = format_duration(remaining);
    }
}

void RunPresenter::show_overheads() {
    FixedMs computation;
    FixedMs overhead;
    for (const TaskServer& server : servers_.task_servers) {
        computation += server.compute_ms;
        overhead += server.overhead_ms;
    }
    if (computation.scaled() > 0) {
        double percent = 100.0 * static_cast<double>(overhead.scaled()) /
                         static_cast<double>(computation.scaled());
        controls_.Text_overheads.text = format_number(percent, "0.0");
    }
}

void RunPresenter::show_duration_estimate() {
    double estimate = estimates_.estimated_duration_seconds;
    controls_.Label_estimated_duration.caption = format_duration(estimate);
    controls_.Label_expected_finish.caption =
        format_short_date(clock_, estimates_.expected_finish_time) + "   " +
        format_date_time(clock_, estimates_.expected_finish_time, "Hh:Nn:Ss");
    controls_.Label_estimated_time_remaining.caption =
        format_duration(std::max(0.0, estimate - run_.elapsed_seconds));
}

void RunPresenter::show_speedup() {
    controls_.Text_speedup.text = format_number(estimates_.speedup, "0.0");
}

void RunPresenter::show_matrix_size() {
    if (estimates_.compression) {
        controls_.Text_mtx_compression.text = format_number(*estimates_.compression, "0.0");
    }
    if (estimates_.projected_mb) {
        double megabytes = *estimates_.projected_mb;
        controls_.Text_mtx_size.text = megabytes < 1024
                                           ? format_number(megabytes, "0") + "MB"
                                           : format_number(megabytes / 1024, "0.00") + "GB";
    }
}

void RunPresenter::show_run_ended() {
    controls_.Command_stop_cluster_run.visible = false;
    controls_.Command_start_cluster_run[0].enabled = true;
    controls_.Command_pause_run[0].visible = false;
    controls_.Command_pause_run[1].visible = false;
}

void RunPresenter::show_paused(bool paused) {
    controls_.Command_pause_run[0].visible = !paused;
    controls_.Command_pause_run[1].visible = paused;
}

}  // namespace zelkon
