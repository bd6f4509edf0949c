#include "engine_fixture.h"

namespace zelkon {
namespace {

struct TimeCase {
    const char* what;
    std::int64_t after_ms;
    double estimated_seconds;
    const char* elapsed;
    const char* remaining;
};

class ElapsedTimeTest : public EngineTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(ElapsedTimeTest, TheTickShowsElapsedAndOnlyAPositiveRemainingTime) {
    const TimeCase& c = GetParam();
    seed_run({{"nodeA", 1, 0}}, 1);
    book_running(1, 1, 0);
    controls.Label_estimated_time_remaining.caption = "kept";
    form.estimates.estimated_duration_seconds = c.estimated_seconds;
    fake.clock.sleep_ms(static_cast<int>(c.after_ms));
    tick();
    EXPECT_EQ(controls.Label_logging_time.caption, c.elapsed);
    EXPECT_EQ(controls.Label_estimated_time_remaining.caption, c.remaining);
    EXPECT_EQ(form.run.tick_time, fake.clock.now());
    EXPECT_EQ(form.run.timer_stage, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, ElapsedTimeTest,
    ::testing::Values(TimeCase{"no_estimate_yet", 65999, 0, "00:01:05", "kept"},
                      TimeCase{"estimate_ahead", 65000, 100, "00:01:05", "00:00:35"},
                      TimeCase{"estimate_reached", 100000, 100, "00:01:40", "kept"},
                      TimeCase{"past_a_day", 90061000, 200000, "1 01:01:01", "1 06:32:19"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, ElapsedTimeFollowsTheMonotonicClockNotTheWallClock) {
    seed_run({{"nodeA", 1, 0}}, 1);
    form.run.run_start_time = form.run.run_start_time.plus_seconds(3600);  // the wall clock stepped
    fake.clock.sleep_ms(5000);
    tick();
    EXPECT_EQ(form.run.elapsed_seconds, 5.0);
}

TEST_F(EngineTest, OverheadIsRelativeToComputationAndKeptUntilThereIsAny) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 3);
    tick();
    EXPECT_EQ(controls.Text_overheads.text, "100");

    // One task computed for 60 s in a wall time of 66 s.
    fake.clock.sleep_ms(66000);
    finish_task(1, "Clock time taken: 1.0\r\n");
    tick();
    EXPECT_EQ(controls.Text_overheads.text, "10.0");
}

struct EndCase {
    const char* what;
    std::int32_t exit_when_finished;
    std::vector<int> exit_codes;
};

class EndOfRunTest : public EngineTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndOfRunTest, TheTickThatSeesTheLastTaskAssembledEndsTheRun) {
    seed_run({{"nodeA", 1, 0}}, 2);
    arm_timer();
    for (ClusterTask& task : form.tasks.cluster_task) {
        task.state = TaskState::assembled;
    }
    form.tasks.last_assembled_task = 2;
    form.run.exit_when_finished = GetParam().exit_when_finished;
    tick();
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_EQ(form.Timer_cluster_task->interval(), 0);
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at 06-Dec-2026 14:05:09"), 1);
    EXPECT_FALSE(form.process_log.is_open());
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::all_assembled});
    EXPECT_EQ(exit_codes, GetParam().exit_codes);
    EXPECT_EQ(form.run.timer_stage, 0);
}

INSTANTIATE_TEST_SUITE_P(Ends, EndOfRunTest,
                         ::testing::Values(EndCase{"started_by_hand", 0, {}},
                                           EndCase{"started_at_program_start", 1, {0}},
                                           EndCase{"any_other_value", 2, {}}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, TheRunGoesOnWhileTheLastTaskIsOnlyInAssembly) {
    seed_run({{"nodeA", 1, 0}}, 2);
    arm_timer();
    form.tasks.cluster_task[1].state = TaskState::assembled;
    form.tasks.cluster_task[2].state = TaskState::in_assembly;
    tick();
    EXPECT_TRUE(form.Timer_cluster_task->enabled());
    EXPECT_TRUE(outcomes.empty());
}

TEST_F(EngineTest, AnErrorInATickEndsTheRunWithItsDescription) {
    seed_run({{"nodeA", 1, 0}}, 1);
    arm_timer();
    form.channels.server_wmi_process.clear();
    form.run.exit_when_finished = 1;
    tick();
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{"An error was encountered while running the calculation: "
                                       "Object variable or With block variable not set"});
    EXPECT_EQ(fake.dialogs.warnings, fake.dialogs.messages);  // a failure, shown as one
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_EQ(form.Timer_cluster_task->interval(), 0);
    EXPECT_EQ(form.run.timer_stage, 0);
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at"), 1);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
    EXPECT_TRUE(exit_codes.empty());  // only a finished run ends the program
}

struct NoServerCase {
    const char* what;
    bool first_failed;
    bool second_busy;
    bool task_waits;
    bool run_ends;
};

class NoServerLeftTest : public EngineTest, public ::testing::WithParamInterface<NoServerCase> {};

TEST_P(NoServerLeftTest, TheRunEndsOnlyWhenWaitingTasksCanNeverStart) {
    const NoServerCase& c = GetParam();
    seed_run({{"nodeA", 2, 0}}, 3);
    arm_timer();
    form.servers.task_servers[1].failed = c.first_failed;
    if (c.second_busy) {
        book_running(2, 3, 0);
    } else {
        form.servers.task_servers[2].failed = true;
    }
    if (!c.task_waits) {
        for (ClusterTask& task : form.tasks.cluster_task) {
            task.state = TaskState::complete;
        }
    }
    tick();
    std::vector<std::string> expected;
    if (c.run_ends) {
        expected.push_back(
            "An error was encountered while running the calculation: No task server is left to "
            "run the remaining tasks");
    }
    EXPECT_EQ(fake.dialogs.messages, expected);
    EXPECT_EQ(form.Timer_cluster_task->enabled(), !c.run_ends);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, NoServerLeftTest,
    ::testing::Values(NoServerCase{"all_failed_tasks_wait", true, false, true, true},
                      NoServerCase{"one_busy_tasks_wait", true, true, true, false},
                      NoServerCase{"all_failed_nothing_waits", true, false, false, false}),
    [](const auto& info) { return std::string(info.param.what); });

// The clean-up removes the job folder: the completed tasks are merged first,
// even in a batch too small to start otherwise, then the run ends.
TEST_F(EngineTest, WithNoServerLeftTheCompletedTasksAreMergedBeforeTheRunEnds) {
    seed_run({{"nodeA", 1, 0}}, 20);
    arm_timer();
    state.task_servers[1].failed = true;
    for (std::int32_t t = 1; t <= 2; ++t) {
        state.cluster_task[t].name = "Zelkon_job_000012_task_00000" + std::to_string(t);
        state.cluster_task[t].state = TaskState::complete;
    }
    tick();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    ASSERT_TRUE(state.assembly_running);
    fake.files.add_file(task_file(1, ".old"), "");
    fake.files.add_file(task_file(2, ".old"), "");
    tick();
    EXPECT_EQ(state.cluster_task[2].state, TaskState::assembled);
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{"An error was encountered while running the calculation: "
                                       "No task server is left to run the remaining tasks"});
}

}  // namespace
}  // namespace zelkon
