#include "engine_fixture.h"

namespace zelkon {
namespace {

// The tick runs from the timer on the fake clock; at a yield the event pump
// delivers what a test puts in on_yield and then any tick that fell due.
class ReentrancyTest : public EngineTest {
  protected:
    void SetUp() override {
        seed_run({{"nodeA", 2, 0}}, 3);
        arm_timer();
        fake.events.on_yield = [this] {
            if (first_yield_) {
                auto action = std::move(first_yield_);
                first_yield_ = nullptr;
                action();
            }
        };
    }

    void at_first_yield(std::function<void()> action) { first_yield_ = std::move(action); }

  private:
    std::function<void()> first_yield_;
};

TEST_F(ReentrancyTest, ATickDeliveredDuringAYieldReturnsAtOnce) {
    std::int32_t stage_seen = -1;
    at_first_yield([&] {
        // Long enough for the next tick to fall due; the pump delivers it.
        fake.clock.sleep_ms(3000);
        stage_seen = state.timer_stage;
        controls.Label_logging_time.caption = "marker";
    });
    fake.clock.advance(100);
    // A nested tick that ran would have shown "00:00:03" over the marker.
    EXPECT_EQ(stage_seen, 2);
    EXPECT_EQ(controls.Label_logging_time.caption, "marker");
    EXPECT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(state.task_servers[2].task, 2);
    EXPECT_EQ(state.timer_stage, 0);
}

TEST_F(ReentrancyTest, APauseDuringAYieldRunsFirstAndTheTickFinishesItsSteps) {
    book_running(2, 3, 0);
    finish_task(3, "Clock time taken: 0.001\r\n");
    at_first_yield([this] { form.Command_pause_run_Click(0); });
    fake.clock.advance(100);

    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_TRUE(controls.Command_pause_run[1].visible);
    // Dispatch went on after the pause, and so did the completion check.
    EXPECT_EQ(state.task_servers[1].task, 1);
    EXPECT_EQ(state.cluster_task[3].state, TaskState::complete);
    EXPECT_EQ(state.timer_stage, 0);
    fake.clock.advance(10000);
    EXPECT_EQ(fake.management.created.size(), 1u);  // no tick while paused
}

// Whatever runs in a yield finds the task table and the servers agreeing:
// a busy server's task runs on it, and a running task's server is busy with it.
std::string records_disagree(const RunState& state) {
    std::int32_t busy = 0;
    for (std::int32_t s = 1; s <= state.num_task_servers(); ++s) {
        const TaskServer& server = state.task_servers[s];
        if (!server.busy) {
            continue;
        }
        ++busy;
        const ClusterTask& task = state.cluster_task[server.task];
        if (task.state != TaskState::running || task.server != s) {
            return "server " + std::to_string(s) + " is busy, its task is not running on it";
        }
    }
    for (std::int32_t t = 1; t <= state.num_tasks; ++t) {
        const ClusterTask& task = state.cluster_task[t];
        if (task.state == TaskState::running &&
            (!state.task_servers[task.server].busy || state.task_servers[task.server].task != t)) {
            return "task " + std::to_string(t) + " runs on a server that is not busy with it";
        }
    }
    if (busy != state.num_tasks_processing) {
        return "the count of running tasks is not the count of busy servers";
    }
    return "";
}

class StopAtEachYield : public ReentrancyTest, public ::testing::WithParamInterface<const char*> {
  protected:
    // Task starts only: the assembly of completed tasks may still start.
    std::size_t task_starts() const {
        std::size_t starts = 0;
        for (const auto& created : fake.management.created) {
            starts += created.command_line.find("zelkon_cluster_task") != std::string::npos;
        }
        return starts;
    }
    // Each case reaches a different yield first in the tick.
    void arrange(const std::string& where) {
        if (where == "completion") {
            book_running(1, 1, 0);
            book_running(2, 2, 0);
            finish_task(1, "Clock time taken: 0.001\r\n");
            finish_task(2, "Clock time taken: 0.001\r\n");
        } else if (where == "hang_check") {
            // Servers 1 and 2 have each done a task at 50 points/min and run
            // another; server 3's task has run far too long.
            seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 6);
            for (std::int32_t s : {1, 2}) {
                state.task_servers[s].tasks_completed = 1;
                state.task_servers[s].data_per_min = 50.0f;
                book_running(s, s, 0);
            }
            book_running(3, 3, 21 * 60000);
        }
    }
};

TEST_P(StopAtEachYield, FindsTheRecordsWholeAndEndsTheRunOnce) {
    arrange(GetParam());
    std::vector<std::string> seen;
    std::size_t created_at_stop = 0;
    fake.dialogs.answers.push_back(true);
    fake.events.on_yield = [this, &seen, &created_at_stop] {
        seen.push_back(records_disagree(state));
        if (seen.size() == 1) {
            form.Command_stop_cluster_run_Click();
            created_at_stop = task_starts();
        }
    };
    if (std::string(GetParam()) == "hang_check") {
        form.task_engine.update_speed_stats();
        std::int32_t hung = 0;
        form.task_engine.check_for_hung_server(hung);
        EXPECT_EQ(hung, 1);
    } else {
        fake.clock.advance(100);
    }

    ASSERT_FALSE(seen.empty()) << "no yield reached";
    for (const std::string& problem : seen) {
        EXPECT_EQ(problem, "");
    }
    EXPECT_EQ(records_disagree(state), "");
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);  // Stop's message, no error
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at"), 1);
    EXPECT_EQ(state.timer_stage, 0);
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_EQ(task_starts(), created_at_stop);  // no task started after it
}

INSTANTIATE_TEST_SUITE_P(Yields, StopAtEachYield,
                         ::testing::Values("dispatch", "completion", "hang_check"));

}  // namespace
}  // namespace zelkon
