#include "engine_fixture.h"

namespace zelkon {
namespace {

// Two servers of one machine, three tasks; the regular tick at 100 ms starts
// tasks 1 and 2, and task 1 then ends at 150 ms.
class PromptTickTest : public EngineTest {
  protected:
    void start_two_and_finish_the_first(bool watchable) {
        fake.folder_watch.watchable = watchable;
        seed_run({{"nodeA", 2, 0}}, 3);
        arm_timer();
        fake.clock.advance(100);
        ASSERT_EQ(state.cluster_task[2].state, TaskState::running);
        fake.clock.advance(50);
        finish_task(1, "Clock time taken: 0.001\r\n");
    }
    bool third_started() const { return state.cluster_task[3].state == TaskState::running; }
};

TEST_F(PromptTickTest, ATickThatCollectedATaskIsFollowedAtOnceByOneThatStartsTheNext) {
    start_two_and_finish_the_first(false);
    EXPECT_EQ(fake.folder_watch.folder, "");
    fake.clock.advance(50);  // the regular tick at 200 ms collects task 1
    EXPECT_EQ(state.cluster_task[1].state, TaskState::complete);
    EXPECT_FALSE(third_started());
    fake.clock.advance(1);
    EXPECT_TRUE(third_started());
    EXPECT_EQ(state.task_servers[1].task_start_ms.ms(), 201.0);
}

TEST_F(PromptTickTest, ATaskRemovingItsSemaphoreWakesTheTickUnlessTheTimerIsOff) {
    start_two_and_finish_the_first(true);
    EXPECT_EQ(fake.folder_watch.folder, kJobPath);
    // Other files come and go without a tick.
    fake.folder_watch.report_removed("Zelkon_job_000012_task_000001.zpc.tmp");
    fake.clock.advance(5);
    EXPECT_EQ(state.cluster_task[1].state, TaskState::running);

    form.Timer_cluster_task->set_enabled(false);  // paused
    fake.folder_watch.report_removed("Zelkon_job_000012_task_000001.sem");
    fake.clock.advance(5);
    EXPECT_EQ(state.cluster_task[1].state, TaskState::running);

    arm_timer();
    fake.folder_watch.report_removed("Zelkon_job_000012_task_000001.sem");
    fake.clock.advance(2);  // one tick collects, the next starts task 3
    EXPECT_TRUE(third_started());
    EXPECT_EQ(state.task_servers[1].task_start_ms.ms(), 162.0);
}

}  // namespace
}  // namespace zelkon
