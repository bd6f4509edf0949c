#include "platform/captured_run.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace zelkon {
namespace {

// Standard input is empty.
TEST(CapturedRun, KeepsBothStreamsAndTheExitStatusApart) {
    CapturedRun run = run_captured({"sh", "-c", "echo out; echo err >&2; wc -c; exit 4", "x"});
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.output, "out\n0\n");
    EXPECT_EQ(run.errors, "err\n");
    EXPECT_EQ(run.exit_status, 4);
}

TEST(CapturedRun, ArgumentsReachTheProgramAsTheyAreWithoutAShell) {
    CapturedRun run = run_captured({"printf", "%s|", "a b", "$HOME", "'q'", ";"});
    EXPECT_EQ(run.output, "a b|$HOME|'q'|;|");
}

TEST(CapturedRun, AProgramThatCannotBeRunSaysWhy) {
    CapturedRun run = run_captured({"/no/such/program", "x"});
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.errors, "cannot run /no/such/program: No such file or directory");
}

TEST(CapturedRun, ReturnsWhenTheProgramEndsThoughItsChildKeepsTheStreamsOpen) {
    // As an ssh master does when it goes to the background.
    CapturedRun run = run_captured({"sh", "-c", "sleep 60 & echo $!"});
    ASSERT_EQ(run.exit_status, 0);
    int left_behind = std::stoi(run.output);
    EXPECT_EQ(kill(left_behind, 0), 0) << "the child had already ended";
    kill(left_behind, SIGKILL);
}

}  // namespace
}  // namespace zelkon
