// A Stop run inside each yield of the tick finds the task table and the
// servers agreeing, and ends the run once.
#include <algorithm>

#include "engine_fixture.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;

// A busy server's task runs on it, and as many tasks run as servers are busy.
std::string records_disagree(const ServerTable& servers, const TaskTable& tasks) {
    std::int32_t busy = 0;
    for (std::int32_t s = 1; s <= servers.num_task_servers(); ++s) {
        const TaskServer& server = servers.task_servers[s];
        busy += server.busy ? 1 : 0;
        if (server.busy && (tasks.cluster_task[server.task].state != TaskState::running ||
                            tasks.cluster_task[server.task].server != s)) {
            return "server " + std::to_string(s) + " is busy, its task is not running on it";
        }
    }
    return busy == tasks.num_tasks_processing ? "" : "running tasks and busy servers differ";
}

class StopAtEachYield : public EngineTest, public ::testing::WithParamInterface<const char*> {
  protected:
    // Task starts only: the assembly of completed tasks may still start.
    long task_starts() const {
        return std::count_if(fake.management.created.begin(), fake.management.created.end(),
                             [](const auto& created) {
                                 return created.command_line.starts_with("m=$(zelkon_cluster_task");
                             });
    }
};

// Each case reaches a different yield first: a start, a completion, a hung server.
TEST_P(StopAtEachYield, FindsTheRecordsWholeAndEndsTheRunOnce) {
    const std::string where = GetParam();
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 6);
    arm_timer();
    if (where != "dispatch") {
        for (std::int32_t s : {1, 2}) {
            servers.task_servers[s].tasks_completed = where == "hang_check" ? 1 : 0;
            servers.task_servers[s].data_per_min = 50.0f;
            book_running(s, s, 0);
        }
        book_running(3, 3, where == "hang_check" ? 21 * 60000 : 0);
    }
    if (where == "completion") {
        finish_task(1, "Clock time taken: 0.001\r\n");
        finish_task(2, "Clock time taken: 0.001\r\n");
    }
    std::vector<std::string> seen;
    long created_at_stop = 0;
    fake.dialogs.answers.push_back(true);
    fake.events.on_yield = [this, &seen, &created_at_stop] {
        seen.push_back(records_disagree(servers, tasks));
        if (seen.size() == 1) {
            run_control.Command_stop_cluster_run_Click();
            created_at_stop = task_starts();
        }
    };
    if (where == "hang_check") {
        engine.update_speed_stats();
        std::int32_t hung = 0;
        engine.check_for_hung_server(hung);
        EXPECT_EQ(hung, 1);
    } else {
        fake.clock.advance(100);
    }
    ASSERT_FALSE(seen.empty()) << "no yield reached";
    seen.push_back(records_disagree(servers, tasks));
    EXPECT_EQ(seen, Lines(seen.size(), ""));
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);  // Stop's message, no error
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at"), 1);
    EXPECT_EQ(std::tuple(run.timer_stage, task_timer->enabled()), std::tuple(0, false));
    EXPECT_EQ(task_starts(), created_at_stop);  // no task started after it
}

INSTANTIATE_TEST_SUITE_P(Yields, StopAtEachYield,
                         ::testing::Values("dispatch", "completion", "hang_check"));

}  // namespace
}  // namespace zelkon
