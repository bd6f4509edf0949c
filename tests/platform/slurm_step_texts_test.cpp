#include "platform/slurm_step_texts.h"

#include <gtest/gtest.h>

namespace zelkon {
namespace {

TEST(SlurmStepTexts, AStepIsOneTaskOnItsNodeWithTheCommandsThreadsAsCpus) {
    std::vector<std::string> command = {"task", "/w/Job 7/a.zcd", "OMP_NUM_THREADS=4"};
    std::vector<std::string> expected = {
        "srun",    "--verbose",      "--nodes=1",         "--ntasks=1",         "--cpus-per-task=4",
        "--exact", "--nodelist=n07", "--chdir=/w/Job 7/", "--output=/dev/null", "--error=/dev/null",
        "--",      "task",           "/w/Job 7/a.zcd",    "OMP_NUM_THREADS=4"};
    EXPECT_EQ(srun_step_arguments("n07", cpus_of_command(command), "/w/Job 7/", command), expected);
    for (const char* threads : {"0", "x", "99999"}) {
        EXPECT_EQ(cpus_of_command({"t", std::string("OMP_NUM_THREADS=") + threads}), 1) << threads;
    }
    EXPECT_EQ(cpus_of_command({"t", "OMP_NUM_THREADS=4096"}), 4096);
    EXPECT_EQ(cpus_of_command({"true"}), 1);
}

TEST(SlurmStepTexts, SrunsMessagesGiveTheStepOrTheReasonItWasRefused) {
    EXPECT_EQ(launched_step_id("srun: jobid 2: nodes(1):`vm', cpu counts: 8(x1)\n"
                               "srun: launching StepId=2.14 on host vm, 1 tasks: 0\n"),
              "2.14");
    EXPECT_EQ(launched_step_id("srun: launching StepId=2.1"), "");  // not yet a whole line
    EXPECT_EQ(launched_step_id("srun: end of defined options\n"), "");
    EXPECT_EQ(srun_failure_reason("srun: nodes : 1\nsrun: error: Unable to create step for job "
                                  "1: Requested node configuration is not available\n"),
              "Unable to create step for job 1: Requested node configuration is not available");
    EXPECT_EQ(srun_failure_reason("srun: verbose : 1\nsrun: Force Terminated StepId=3.2\n"),
              "srun: Force Terminated StepId=3.2");
}

}  // namespace
}  // namespace zelkon
