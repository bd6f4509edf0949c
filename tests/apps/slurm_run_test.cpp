// Whole runs inside an allocation of the test cluster (one node of 8 CPUs)
// with the server list "slurm": every task a job step, none left at the end.
#include "slurm_cluster.h"
#include "whole_run.h"

namespace zelkon {
namespace {

class SlurmRun : public WholeRunBench {
  protected:
    static void SetUpTestSuite() {
        WholeRunBench::SetUpTestSuite();
        cluster = new SlurmCluster;
    }
    static void TearDownTestSuite() {
        delete cluster;
        WholeRunBench::TearDownTestSuite();
    }
    void SetUp() override {
        if (!cluster->why_not().empty()) {
            GTEST_SKIP() << cluster->why_not();
        }
        prepare();
    }
    // In an allocation of the node's CPUs, `inside` before the controller; the
    // steps left when it has exited go to steps_after.
    std::string launch(const std::string& controller) const override {
        return "env " + cluster->environment() + environment() +
               " salloc --quiet --nodes=1 --ntasks=8 sh -c " +
               shell_quoted(inside + controller +
                            "; code=$?; squeue --steps --noheader --jobs=$SLURM_JOB_ID "
                            "--format=%i > steps_after; exit $code");
    }
    std::string steps_after() const { return file_text(temp.file("steps_after")); }

    static inline SlurmCluster* cluster = nullptr;
    std::string inside;
};

TEST_F(SlurmRun, EveryTaskServerOfTheNodeRunsTasksAndNoStepIsLeft) {
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    settings(16, "slurm");
    expect_a_whole_run(run(), 16);
    for (int task = 0; task < 8; ++task) {
        std::string label = std::string(SlurmCluster::kNode) + "/" + std::to_string(task);
        EXPECT_GE(count_events("Server available: " + label), 1) << label;
    }
    EXPECT_EQ(steps_after(), "");
}

// Interrupted, the run cancels its steps and says so; the next run, on the
// node and this computer, finishes the job.
TEST_F(SlurmRun, AnInterruptedRunCancelsItsStepsAndAMixedListFinishesIt) {
    task_faults("ZELKON_TASK_MIN_SECONDS=3");
    settings(40, "slurm");
    start();
    ASSERT_TRUE(some_task_assembled()) << process_log();
    signal_controller(SIGINT);
    ProgramRun first = finish();
    EXPECT_EQ(first.code, 1) << first.err;
    EXPECT_TRUE(contains(first.out, "Slurm job steps of this run that were still running"))
        << first.out;
    EXPECT_EQ(steps_after(), "");

    fs::remove(temp.file("steps_after"));
    task_faults("");
    settings(40, "slurm/3\r\n" + this_computer() + "/2");
    expect_a_whole_run(run(), 40);
    EXPECT_TRUE(contains(process_log(), "Server available: " + this_computer() + "/1"));
    EXPECT_TRUE(contains(process_log(), std::string("Server available: ") + SlurmCluster::kNode));
    EXPECT_EQ(steps_after(), "");
}

// A node outside the allocation refuses its step with srun's reason.
TEST_F(SlurmRun, ARefusedStepTakesItsNodeOutWithSrunsReason) {
    inside = std::string("SLURM_JOB_NODELIST=") + SlurmCluster::kNode +
             ",zghost SLURM_TASKS_PER_NODE=4\\(x2\\) ";
    settings(8, "slurm");
    ProgramRun done = run();
    expect_a_whole_run(done, 8);
    EXPECT_TRUE(contains(done.out, "zghost: Unable to create step")) << done.out;
    EXPECT_FALSE(contains(process_log(), "Server available: zghost")) << process_log();
}

// Outside an allocation the list is refused before anything is made.
class OutsideAllocation : public WholeRunBench {
  protected:
    void SetUp() override { prepare(); }
    std::string launch(const std::string& controller) const override {
        return "env -u SLURM_JOB_ID " + environment() + controller;
    }
};

TEST_F(OutsideAllocation, TheSlurmLineIsRefused) {
    settings(4, "slurm");
    ProgramRun refused = run();
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(contains(refused.err,
                         "The server list names the Slurm allocation, but this program is not "
                         "running inside one: start it under salloc or sbatch"))
        << refused.err;
    EXPECT_FALSE(fs::exists(temp.file("Work")));
}

}  // namespace
}  // namespace zelkon
