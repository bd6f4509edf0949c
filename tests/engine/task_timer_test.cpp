#include "engine_fixture.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;
const Lines kNoServerLeft{
    "An error was encountered while running the calculation: No task "
    "server is left to run the remaining tasks"};

// Elapsed time is monotonic; remaining shows while positive; overhead waits for computation.
TEST_F(EngineTest, TheTickShowsElapsedRemainingTimeAndOverhead) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 3);
    run.run_start_time = run.run_start_time.plus_seconds(3600);  // the wall clock stepped
    estimates.estimated_duration_seconds = 100;
    tick();
    EXPECT_EQ(controls.Text_overheads.text, "100");
    fake.clock.sleep_ms(66000);
    finish_task(1, "Clock time taken: 1.0\r\n");  // 60 s computed in 66 s
    tick();
    EXPECT_EQ(std::tuple(controls.Label_logging_time.caption,
                         controls.Label_estimated_time_remaining.caption,
                         controls.Text_overheads.text, run.tick_time),
              std::tuple("00:01:06", "00:00:34", "10.0", fake.clock.now()));
    fake.clock.sleep_ms(60000);
    tick();
    EXPECT_EQ(controls.Label_estimated_time_remaining.caption, "00:00:34");
}

// Only a run started at program start (1) ends the program, and only when finished.
TEST_F(EngineTest, TheTickThatSeesTheLastTaskAssembledEndsTheRun) {
    seed_run({{"nodeA", 1, 0}}, 2);
    tasks.cluster_task[1].state = TaskState::assembled;
    tasks.cluster_task[2].state = TaskState::in_assembly;
    arm_timer();
    tick();
    EXPECT_TRUE(task_timer->enabled());
    for (std::int32_t exit_when_finished : {0, 2, 1, 1}) {
        host.begin_run_report();
        run.run_terminated = false;
        arm_timer();
        tasks.cluster_task[2].state = TaskState::assembled;
        run.exit_when_finished = exit_when_finished;
        if (exit_when_finished == 1 && !exit_codes.empty()) {
            tasks.cluster_task[2].state = TaskState::waiting;
            channels.server_wmi_process.clear();
        }
        tick();
        EXPECT_EQ(std::tuple(task_timer->enabled(), task_timer->interval(), process_log.is_open(),
                             run.timer_stage, exit_codes.size()),
                  std::tuple(false, 0, false, 0, exit_when_finished == 1 ? 1u : 0u));
    }
    EXPECT_EQ(outcomes,
              (std::vector<RunOutcome>{RunOutcome::all_assembled, RunOutcome::all_assembled,
                                       RunOutcome::all_assembled, RunOutcome::error}));
    EXPECT_EQ(fake.dialogs.warnings,  // a failure, shown as one
              Lines{"An error was encountered while running the calculation: "
                    "Object variable or With block variable not set"});
}

// Server 1 has failed; server 2 is busy or failed too; tasks wait or not.
class NoServerLeftTest : public EngineTest,
                         public ::testing::WithParamInterface<std::tuple<bool, bool, bool>> {};

TEST_P(NoServerLeftTest, TheRunEndsOnlyWhenWaitingTasksCanNeverStart) {
    auto [second_busy, task_waits, run_ends] = GetParam();
    seed_run({{"nodeA", 2, 0}}, 3);
    arm_timer();
    servers.task_servers[1].failed = true;
    servers.task_servers[2].failed = !second_busy;
    if (second_busy) {
        book_running(2, 3, 0);
    }
    for (ClusterTask& task : tasks.cluster_task) {
        task.state = task_waits ? task.state : TaskState::complete;
    }
    tick();
    EXPECT_EQ(fake.dialogs.messages, run_ends ? kNoServerLeft : Lines{});
    EXPECT_EQ(task_timer->enabled(), !run_ends);
}

INSTANTIATE_TEST_SUITE_P(Servers, NoServerLeftTest,
                         ::testing::Values(std::tuple{false, true, true},
                                           std::tuple{true, true, false},
                                           std::tuple{false, false, false}));

// The clean-up removes the job folder: completed tasks are merged first.
TEST_F(EngineTest, WithNoServerLeftTheCompletedTasksAreMergedBeforeTheRunEnds) {
    seed_run({{"nodeA", 1, 0}}, 20);
    servers.task_servers[1].failed = true;
    for (std::int32_t t = 1; t <= 2; ++t) {
        tasks.cluster_task[t].name = task_name(t);
        tasks.cluster_task[t].state = TaskState::complete;
    }
    tick();
    EXPECT_TRUE(assembly_state.assembly_running);
    fake.files.add_file(task_file(1, ".old"), "");
    fake.files.add_file(task_file(2, ".old"), "");
    tick();
    EXPECT_EQ(tasks.cluster_task[2].state, TaskState::assembled);
    EXPECT_EQ(fake.dialogs.messages, kNoServerLeft);
}

// A semaphore removal brings the next tick forward, but not in a pause.
TEST_F(EngineTest, ACompletionBringsTheNextTickForward) {
    seed_run({{"nodeA", 2, 0}}, 3);
    arm_timer();
    fake.clock.advance(150);
    finish_task(1, "Clock time taken: 0.001\r\n");
    EXPECT_EQ(fake.folder_watch.folder, kJobPath);
    fake.folder_watch.report_removed("Zelkon_job_000012_task_000001.zpc.tmp");
    fake.clock.advance(5);
    task_timer->set_enabled(false);  // paused
    fake.folder_watch.report_removed("Zelkon_job_000012_task_000001.sem");
    fake.clock.advance(5);
    EXPECT_EQ(tasks.cluster_task[1].state, TaskState::running);
    arm_timer();
    fake.folder_watch.report_removed("Zelkon_job_000012_task_000001.sem");
    fake.clock.advance(2);
    EXPECT_EQ(servers.task_servers[1].task_start_ms.ms(), 162.0);
}

// A pause in a yield comes first; a tick delivered in a yield returns at once.
TEST_F(EngineTest, WhatRunsInAYieldComesBeforeTheRestOfTheTick) {
    seed_run({{"nodeA", 2, 0}}, 3);
    arm_timer();
    book_running(2, 3, 0);
    finish_task(3, "Clock time taken: 0.001\r\n");
    fake.events.on_yield = [this] { run_control.Command_pause_run_Click(0); };
    fake.clock.advance(100);
    EXPECT_EQ(std::tuple(task_timer->enabled(), servers.task_servers[1].task,
                         tasks.cluster_task[3].state),
              std::tuple(false, 1, TaskState::complete));
    fake.events.on_yield = [this] {
        fake.clock.sleep_ms(3000);  // the next tick falls due, and returns at once
        controls.Label_logging_time.caption = "marker";
    };
    arm_timer();
    fake.clock.advance(100);
    EXPECT_EQ(std::tuple(controls.Label_logging_time.caption, run.timer_stage),
              std::tuple("marker", 0));
}

}  // namespace
}  // namespace zelkon
