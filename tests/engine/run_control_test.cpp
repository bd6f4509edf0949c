#include "engine/run_end_notes.h"
#include "engine_fixture.h"

namespace zelkon {
namespace {

// Any index but 0 resumes at 500 ms; a paused run sees a completion after resume.
TEST_F(EngineTest, PauseStopsTheTimerAndResumeRestartsItAtFiveHundredMilliseconds) {
    seed_run({{"nodeA", 1, 0}}, 2);
    arm_timer();
    book_running(1, 1, 0);
    for (std::int16_t index : {0, 1, 0, -3, 0}) {
        run_control.Command_pause_run_Click(index);
        EXPECT_EQ(std::tuple(task_timer->interval(), task_timer->enabled(),
                             controls.Command_pause_run[0].visible,
                             controls.Command_pause_run[1].visible),
                  std::tuple(index == 0 ? 0 : 500, index != 0, index != 0, index == 0));
    }
    finish_task(1, "Clock time taken: 0.5\r\n");
    fake.clock.advance(5000);
    run_control.Command_pause_run_Click(1);
    fake.clock.advance(499);
    EXPECT_EQ(tasks.cluster_task[1].state, TaskState::running);
    fake.clock.advance(1);
    EXPECT_EQ(tasks.cluster_task[1].state, TaskState::complete);
}

// No changes nothing; Yes (here during a pause) cleans up and starts nothing more.
TEST_F(EngineTest, StopAsksFirstAndAYesCleansUpAndStartsNothingMore) {
    seed_run({{"nodeA", 1, 0}}, 2);
    arm_timer();
    book_running(1, 1, 0);
    fake.dialogs.answers = {false, true};
    run_control.Command_stop_cluster_run_Click();
    EXPECT_EQ(fake.dialogs.questions, std::vector<std::string>{"Stop current run?"});
    EXPECT_EQ(std::tuple(task_timer->enabled(), run.run_terminated), std::tuple(true, false));
    run_control.Command_pause_run_Click(0);
    run_control.Command_stop_cluster_run_Click();
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{
                  "Run has been terminated. Any tasks currently running will continue until they "
                  "have completed, but no new tasks will be started."});
    EXPECT_EQ(std::tuple(run.run_terminated, task_timer->enabled(), process_log.is_open()),
              std::tuple(true, false, false));
    EXPECT_TRUE(controls.Command_start_cluster_run[0].enabled);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::stopped});
    servers.task_servers[1].busy = false;
    tick();
    EXPECT_EQ(tasks.cluster_task[2].state, TaskState::waiting);
}

// Stop's question waits while the timer ticks: a run finished meanwhile stays so.
TEST_F(EngineTest, StopAnsweredYesAfterTheRunFinishedDoesNothing) {
    seed_run({{"nodeA", 1, 0}}, 1);
    tasks.cluster_task[1].state = TaskState::assembled;
    tick();
    fake.dialogs.answers.push_back(true);
    run_control.Command_stop_cluster_run_Click();
    EXPECT_EQ(std::tuple(fake.dialogs.messages.size(), outcomes.size()), std::tuple(0u, 1u));
}

// With a share, the other machines' job folders are the controller's and stay.
TEST_F(EngineTest, TheCleanUpRemovesTheJobFoldersItOwns) {
    seed_run({{"CONTROL1", 1, 0, true}, {"nodeA", 1, 0}}, 1);
    job.network_share = "/mnt/ctl";
    fake.files.add_file(std::string(kJobPath) + kDataFile, "");
    fake.files.add_file("/net/nodeA/data/Work/Job_12/y.log", "");
    run_control.cluster_cleanup();
    EXPECT_FALSE(fake.files.folder_exists(kJobPath));
    EXPECT_TRUE(fake.files.folder_exists("/net/nodeA/data/Work/Job_12"));
}

class CancellingSlurm : public FakeSlurmSteps {
  public:
    int cancel_running_steps() override { return 2; }
};

// The clean-up works with the log closed and cancels the Slurm steps still running.
TEST_F(EngineTest, ACleanUpReportsTheFinishTheStepsItCancelledAndTheTotalTime) {
    seed_run({{"nodeA", 1, 0}}, 1);
    CancellingSlurm slurm;
    RunControl control{job, data, servers, run, channels, services(), slurm, *task_timer};
    const std::string info = std::string(kInversion) + "zelkon_cluster_init_12.info";
    fake.files.add_file(info, "Nimbal_Controller info V1.1\r\n");
    process_log.close();
    run.elapsed_seconds = 3723;  // 01:02:03
    control.cluster_cleanup();
    EXPECT_EQ(fake.files.content(kProcessLog), "");
    EXPECT_EQ(controls.TextBox_run_log.text,
              "\r\rCancelled 2 Slurm job steps of this run that were still running"
              "\r\rZelkon Cluster finished at 06-Dec-2026 14:05:09");
    EXPECT_EQ(fake.files.content(info),
              "Nimbal_Controller info V1.1\r\n\r\nTotal Time Servers: 01:02:03\r\n");
}

// An error end without a matrix adds no notes, a stop the continue command, quoted for a shell.
TEST_F(EngineTest, TheContinueCommandFollowsTheFinishLineOfAStopOrAMatrix) {
    seed_run({{"nodeA", 1, 0}}, 1);
    auto notes = [&](bool stop) {
        run.run_terminated = false;
        controls.TextBox_run_log.text.clear();
        stop ? run_control.stop_run() : run_control.end_run_with_error("Disk full");
        const std::string& log = controls.TextBox_run_log.text;
        return log.substr(log.find("14:05:09") + 8) + "|" + run_control.continue_command();
    };
    const std::string command = "zelkon-cluster-controller --headless --job 12 /inv/demo/";
    EXPECT_EQ(notes(false), "|");
    EXPECT_EQ(notes(true), "\rTo continue this run: " + command + "|" + command);
    job.job_id = "000014";
    job.local_path = "/inv/it's $HOME/";
    EXPECT_EQ(continue_command(job),
              "zelkon-cluster-controller --headless --job 14 '/inv/it'\\''s $HOME/'");
}

}  // namespace
}  // namespace zelkon
