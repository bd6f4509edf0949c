#include "engine/run_end_notes.h"
#include "engine_fixture.h"

namespace zelkon {
namespace {

constexpr const char* kStopMessage =
    "Run has been terminated. Any tasks currently running will continue until they have "
    "completed, but no new tasks will be started.";

struct PauseCase {
    const char* what;
    std::int16_t index;
    int interval;
    bool enabled;
    bool pause_shown;
    bool resume_shown;
};

class PauseTest : public EngineTest, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(PauseTest, PauseStopsTheTimerAndResumeRestartsItAtFiveHundredMilliseconds) {
    const PauseCase& c = GetParam();
    seed_run({{"nodeA", 1, 0}}, 1);
    arm_timer();
    form.Command_pause_run_Click(0);
    form.Command_pause_run_Click(c.index);
    EXPECT_EQ(form.Timer_cluster_task->interval(), c.interval);
    EXPECT_EQ(form.Timer_cluster_task->enabled(), c.enabled);
    EXPECT_EQ(controls.Command_pause_run[0].visible, c.pause_shown);
    EXPECT_EQ(controls.Command_pause_run[1].visible, c.resume_shown);
    EXPECT_FALSE(form.run.run_terminated);
}

INSTANTIATE_TEST_SUITE_P(Buttons, PauseTest,
                         ::testing::Values(PauseCase{"pause", 0, 0, false, false, true},
                                           PauseCase{"resume", 1, 500, true, true, false},
                                           PauseCase{"any_other_index", -3, 500, true, true,
                                                     false}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, APausedRunRecognisesCompletionsOnTheFirstTickAfterResume) {
    seed_run({{"nodeA", 1, 0}}, 2);
    arm_timer();
    book_running(1, 1, 0);
    form.Command_pause_run_Click(0);
    finish_task(1, "Clock time taken: 0.5\r\n");
    fake.clock.advance(5000);
    EXPECT_EQ(form.tasks.cluster_task[1].state, TaskState::running);
    form.Command_pause_run_Click(1);
    fake.clock.advance(499);
    EXPECT_EQ(form.tasks.cluster_task[1].state, TaskState::running);
    fake.clock.advance(1);
    EXPECT_EQ(form.tasks.cluster_task[1].state, TaskState::complete);
    EXPECT_EQ(controls.Label_logging_time.caption, "00:00:05");  // counted from the run's start
}

TEST_F(EngineTest, StopAnsweredNoChangesNothing) {
    seed_run({{"nodeA", 1, 0}}, 1);
    arm_timer();
    fake.dialogs.answers.push_back(false);
    form.Command_stop_cluster_run_Click();
    EXPECT_EQ(fake.dialogs.questions, std::vector<std::string>{"Stop current run?"});
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_TRUE(form.Timer_cluster_task->enabled());
    EXPECT_EQ(form.Timer_cluster_task->interval(), 100);
    EXPECT_FALSE(form.run.run_terminated);
    EXPECT_TRUE(form.process_log.is_open());
    EXPECT_TRUE(outcomes.empty());
    tick();
    EXPECT_EQ(form.servers.task_servers[1].task, 1);  // the run goes on
}

TEST_F(EngineTest, StopAnsweredYesDuringAPauseCleansUpAndStartsNothingMore) {
    seed_run({{"nodeA", 1, 0}}, 2);
    arm_timer();
    book_running(1, 1, 0);
    form.Command_pause_run_Click(0);
    fake.dialogs.answers.push_back(true);
    form.Command_stop_cluster_run_Click();

    EXPECT_EQ(fake.dialogs.messages, std::vector<std::string>{kStopMessage});
    EXPECT_TRUE(form.run.run_terminated);
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(controls.Command_pause_run[0].visible);
    EXPECT_FALSE(controls.Command_pause_run[1].visible);
    EXPECT_FALSE(controls.Command_stop_cluster_run.visible);
    EXPECT_TRUE(controls.Command_start_cluster_run[0].enabled);
    EXPECT_EQ(process_log_lines().back(), " Zelkon Cluster ended");
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});

    form.servers.task_servers[1].busy = false;
    tick();
    EXPECT_EQ(form.tasks.cluster_task[2].state, TaskState::waiting);
}

// The question waits in an event loop of its own while the timer ticks on:
// a run that finished meanwhile is not stopped, nor cleaned up, again.
TEST_F(EngineTest, StopAnsweredYesAfterTheRunFinishedDoesNothing) {
    seed_run({{"nodeA", 1, 0}}, 1);
    arm_timer();
    state.cluster_task[1].state = TaskState::assembled;
    tick();
    ASSERT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::all_assembled});
    fake.dialogs.answers.push_back(true);
    form.Command_stop_cluster_run_Click();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(count_in_run_log("Zelkon Cluster finished at"), 1);
}

TEST_F(EngineTest, DoneEndsTheProgramWithoutStoppingOrCleaningUp) {
    seed_run({{"nodeA", 1, 0}}, 1);
    arm_timer();
    form.Command_done_Click();
    EXPECT_EQ(exit_codes, std::vector<int>{0});
    EXPECT_TRUE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(form.run.run_terminated);
    EXPECT_TRUE(form.process_log.is_open());
    EXPECT_TRUE(outcomes.empty());
}

struct ShareCase {
    const char* what;
    const char* network_share;
    bool remote_folder_removed;
};

class CleanupShareTest : public EngineTest, public ::testing::WithParamInterface<ShareCase> {};

TEST_P(CleanupShareTest, TheCleanUpRemovesTheJobFoldersItOwns) {
    const ShareCase& c = GetParam();
    seed_run({{"CONTROL1", 1, 0, true}, {"nodeA", 1, 0}}, 1);
    form.job.network_share = c.network_share;
    fake.files.add_file(std::string(kJobPath) + "x.log", "");
    fake.files.add_file("/net/nodeA/data/Work/Job_12/y.log", "");
    form.run_control.cluster_cleanup();
    EXPECT_FALSE(fake.files.folder_exists(kJobPath));
    EXPECT_EQ(!fake.files.folder_exists("/net/nodeA/data/Work/Job_12"), c.remote_folder_removed);
}

INSTANTIATE_TEST_SUITE_P(Shares, CleanupShareTest,
                         ::testing::Values(ShareCase{"with_share", "/mnt/ctl", false},
                                           ShareCase{"without_share", "", true}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, ACleanUpWithTheLogClosedStillReportsTheFinishAndTheTotalTime) {
    seed_run({{"nodeA", 1, 0}}, 1);
    const std::string info = std::string(kInversion) + "zelkon_cluster_init_12.info";
    fake.files.add_file(info, "Nimbal_Controller info V1.1\r\n");
    form.process_log.close();
    controls.Label_logging_time.caption = "01:02:03";
    form.run_control.cluster_cleanup();
    EXPECT_EQ(fake.files.content(kProcessLog), "");
    EXPECT_EQ(count_in_run_log("\r\rZelkon Cluster finished at 06-Dec-2026 14:05:09"), 1);
    EXPECT_EQ(fake.files.content(info),
              "Nimbal_Controller info V1.1\r\n\r\nTotal Time Servers: 01:02:03\r\n");
}

// After the finish line, the run log names the matrix files there are and,
// for a run left unfinished (stopped, or ended by an error with part of
// the matrix made), the command that continues it.
struct EndCase {
    const char* what;
    bool stopped;
    bool matrix_made;
    const char* notes;
};

class RunEndNotesTest : public EngineTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(RunEndNotesTest, FollowTheFinishLine) {
    const EndCase& c = GetParam();
    seed_run({{"nodeA", 1, 0}}, 1);
    state.num_components = 2;
    state.component_suffix[1] = "gz";
    state.component_suffix[2] = "gx";
    if (c.matrix_made) {
        fake.files.add_file("/inv/demo/parvex_gz.mtx", "m");
        fake.files.add_file("/inv/demo/parvex_gx.mtx", "m");
    }
    if (c.stopped) {
        form.run_control.stop_run();
    } else {
        form.run_control.end_run_with_error("Disk full");
    }
    const std::string& log = controls.TextBox_run_log.text;
    EXPECT_EQ(log.substr(log.find("14:05:09") + 8), c.notes);
    std::string command = form.run_control.continue_command();
    EXPECT_EQ(command.empty(), std::string(c.notes).find("continue") == std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RunEndNotesTest,
    ::testing::Values(
        EndCase{"stopped_before_any_merge", true, false,
                "\rTo continue this run: zelkon-cluster-controller --headless --job 12 /inv/demo/"},
        EndCase{"error_with_part_of_the_matrix", false, true,
                "\rMatrix file: /inv/demo/parvex_gz.mtx\rMatrix file: /inv/demo/parvex_gx.mtx"
                "\rTo continue this run: zelkon-cluster-controller --headless --job 12 /inv/demo/"},
        EndCase{"error_before_any_merge", false, false, ""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ContinueCommandTest, QuotesAFolderTheShellWouldSplitOrExpand) {
    RunState state;
    state.job_id = "000014";
    state.local_path = "/inv/it's $HOME/";
    EXPECT_EQ(continue_command(state),
              "zelkon-cluster-controller --headless --job 14 '/inv/it'\\''s $HOME/'");
}

}  // namespace
}  // namespace zelkon
