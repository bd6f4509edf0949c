#pragma once

#include "model/form_controls.h"
#include "model/job_settings.h"
#include "model/run_progress.h"
#include "model/run_view.h"
#include "model/server_records.h"
#include "model/task_records.h"
#include "platform/clock.h"

namespace zelkon {

// Draws the parts of the window a run changes from the run's records.
class RunPresenter : public RunView {
  public:
    RunPresenter(FormControls& controls, const ServerTable& servers, const TaskTable& tasks,
                 const RunProgress& run, const Estimates& estimates, Clock& clock)
        : controls_(controls),
          servers_(servers),
          tasks_(tasks),
          run_(run),
          estimates_(estimates),
          clock_(clock) {}

    void show_task_counts() override;
    void show_task_started(std::int32_t task) override;
    void show_task_assembled(std::int32_t task) override;
    void show_server_speed(std::int32_t server) override;
    void show_server_times(std::int32_t server) override;
    void show_server_out_of_service(std::int32_t server) override;
    void show_run_time() override;
    void show_overheads() override;
    void show_duration_estimate() override;
    void show_speedup() override;
    void show_matrix_size() override;
    void show_run_ended() override;
    void show_paused(bool paused) override;

  private:
    // A cell of the statistics grid; nullptr for one the grid does not have.
    GridCell* grid_cell(std::int32_t server, int column);

    FormControls& controls_;
    const ServerTable& servers_;
    const TaskTable& tasks_;
    const RunProgress& run_;
    const Estimates& estimates_;
    Clock& clock_;
};

}  // namespace zelkon
