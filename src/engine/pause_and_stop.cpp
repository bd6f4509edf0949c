#include "engine/run_control.h"

namespace zelkon {
namespace {

constexpr int kResumeIntervalMs = 500;

}  // namespace

void RunControl::Command_pause_run_Click(std::int16_t Index) {
    bool pausing = Index == 0;
    Timer_cluster_task.set_interval(pausing ? 0 : kResumeIntervalMs);
    Timer_cluster_task.set_enabled(!pausing);
    view.show_paused(pausing);
}

void RunControl::Command_stop_cluster_run_Click() {
    if (dialogs.ask_yes_no("Stop current run?", true)) {
        stop_run();
    }
}

void RunControl::stop_run() {
    // The run may have ended while the question waited, or before a signal.
    if (run.run_terminated) {
        return;
    }
    run.run_terminated = true;
    Timer_cluster_task.set_interval(0);
    Timer_cluster_task.set_enabled(false);
    dialogs.message(
        "Run has been terminated. Any tasks currently running will continue until they have "
        "completed, but no new tasks will be started.");
    cluster_cleanup();
    tell_where_the_run_ended(RunOutcome::stopped);
    host.report_run_end(RunOutcome::stopped);
}

}  // namespace zelkon
