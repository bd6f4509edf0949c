#include <algorithm>

#include "engine/run_control.h"

namespace zelkon {

void RunControl::end_run_with_error(const std::string& description) {
    dialogs.warning("An error was encountered while running the calculation: " + description);
    Timer_cluster_task.set_enabled(false);
    Timer_cluster_task.set_interval(0);
    run.timer_stage = 0;
    cluster_cleanup();
    tell_where_the_run_ended(RunOutcome::error);
    host.report_run_end(RunOutcome::error);
}

bool RunControl::has_usable_task_server() const {
    return std::any_of(servers.task_servers.begin(), servers.task_servers.end(),
                       [](const TaskServer& server) { return !server.failed; });
}

}  // namespace zelkon
