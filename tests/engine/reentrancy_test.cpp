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
        stage_seen = form.run.timer_stage;
        controls.Label_logging_time.caption = "marker";
    });
    fake.clock.advance(100);
    // A nested tick that ran would have shown "00:00:03" over the marker.
    EXPECT_EQ(stage_seen, 2);
    EXPECT_EQ(controls.Label_logging_time.caption, "marker");
    EXPECT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(form.servers.task_servers[2].task, 2);
    EXPECT_EQ(form.run.timer_stage, 0);
}

TEST_F(ReentrancyTest, APauseDuringAYieldRunsFirstAndTheTickFinishesItsSteps) {
    book_running(2, 3, 0);
    finish_task(3, "Clock time taken: 0.001\r\n");
    at_first_yield([this] { form.Command_pause_run_Click(0); });
    fake.clock.advance(100);

    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_TRUE(controls.Command_pause_run[1].visible);
    // Dispatch went on after the pause, and so did the completion check.
    EXPECT_EQ(form.servers.task_servers[1].task, 1);
    EXPECT_EQ(form.tasks.cluster_task[3].state, TaskState::complete);
    EXPECT_EQ(form.run.timer_stage, 0);
    fake.clock.advance(10000);
    EXPECT_EQ(fake.management.created.size(), 1u);  // no tick while paused
}

// Whatever runs in a yield finds the task table and the servers agreeing:
// a busy server's task runs on it, and a running task's server is busy with it.
std::string records_disagree(const Form_zelkon_cluster_controller& form) {
    std::int32_t busy = 0;
    for (std::int32_t s = 1; s <= form.servers.num_task_servers(); ++s) {
        const TaskServer& server = form.servers.task_servers[s];
        if (!server.busy) {
            continue;
        }
        ++busy;
        const ClusterTask& task = form.tasks.cluster_task[server.task];
        if (task.state != TaskState::running || task.server != s) {
            return "server " + std::to_string(s) + " is busy, its task is not running on it";
        }
    }
    for (std::int32_t t = 1; t <= form.tasks.num_tasks; ++t) {
        const ClusterTask& task = form.tasks.cluster_task[t];
        if (task.state == TaskState::running &&
            (!form.servers.task_servers[task.server].busy ||
             form.servers.task_servers[task.server].task != t)) {
            return "task " + std::to_string(t) + " runs on a server that is not busy with it";
        }
    }
    if (busy != form.tasks.num_tasks_processing) {
        return "the count of running tasks is not the count of busy servers";
    }
    return "";
}

struct YieldCase {
    const char* where;
    std::function<void(EngineTest&)> arrange;
};

class StopAtEachYield : public ReentrancyTest, public ::testing::WithParamInterface<YieldCase> {
  public:
    using EngineTest::book_running;
    using EngineTest::finish_task;
    using EngineTest::form;
    using EngineTest::seed_run;
};

TEST_P(StopAtEachYield, FindsTheRecordsWholeAndEndsTheRunOnce) {
    GetParam().arrange(*this);
    std::vector<std::string> seen;
    fake.dialogs.answers.push_back(true);
    fake.events.on_yield = [this, &seen] {
        seen.push_back(records_disagree(form));
        if (seen.size() == 1) {
            form.Command_stop_cluster_run_Click();
        }
    };
    fake.clock.advance(100);

    ASSERT_FALSE(seen.empty()) << "no yield reached";
    for (const std::string& problem : seen) {
        EXPECT_EQ(problem, "");
    }
    EXPECT_EQ(records_disagree(form), "");
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at"), 1);
    EXPECT_EQ(form.run.timer_stage, 0);
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    // No task started after the Stop: only the first start's.
    EXPECT_LE(fake.management.created.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Yields, StopAtEachYield,
    ::testing::Values(YieldCase{"dispatch", [](EngineTest&) {}},
                      YieldCase{"completion",
                                [](EngineTest& t) {
                                    auto& test = static_cast<StopAtEachYield&>(t);
                                    test.book_running(1, 1, 0);
                                    test.book_running(2, 2, 0);
                                    test.finish_task(1, "Clock time taken: 0.001\r\n");
                                    test.finish_task(2, "Clock time taken: 0.001\r\n");
                                }},
                      YieldCase{"hang_check",
                                [](EngineTest& t) {
                                    // Servers 1 and 2 have each done a task at 50
                                    // points/min and run another; server 3 hangs.
                                    auto& test = static_cast<StopAtEachYield&>(t);
                                    test.seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0},
                                                   {"nodeC", 1, 0}},
                                                  6);
                                    for (std::int32_t s : {1, 2}) {
                                        test.form.tasks.cluster_task[s].state =
                                            TaskState::complete;
                                        test.form.servers.task_servers[s].tasks_completed = 1;
                                        test.form.servers.task_servers[s].data_per_min = 50.0f;
                                        test.book_running(s, s + 3, 0);
                                    }
                                    test.book_running(3, 3, 21 * 60000);
                                }}),
    [](const auto& info) { return std::string(info.param.where); });

}  // namespace
}  // namespace zelkon
