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

TEST_F(ReentrancyTest, AStopDuringAYieldEndsTheRunOnceAndStartsNoFurtherTask) {
    fake.dialogs.answers.push_back(true);
    at_first_yield([this] { form.Command_stop_cluster_run_Click(); });
    fake.clock.advance(100);

    EXPECT_EQ(fake.management.created.size(), 1u);
    EXPECT_EQ(state.cluster_task[2].state, TaskState::waiting);
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);  // Stop's message, no error
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at"), 1);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});
    EXPECT_EQ(state.timer_stage, 0);
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

TEST_F(ReentrancyTest, AStopDuringACompletionsYieldLetsTheCheckFinishQuietly) {
    book_running(1, 1, 0);
    book_running(2, 2, 0);
    finish_task(1, "Clock time taken: 0.001\r\n");
    finish_task(2, "Clock time taken: 0.001\r\n");
    fake.dialogs.answers.push_back(true);
    at_first_yield([this] { form.Command_stop_cluster_run_Click(); });
    fake.clock.advance(100);

    // The first completion's yield ran the Stop; the second was still
    // collected, with the process log already closed.
    EXPECT_EQ(state.num_tasks_done, 2);
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});
    EXPECT_EQ(state.timer_stage, 0);
}

}  // namespace
}  // namespace zelkon
