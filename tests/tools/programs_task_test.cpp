// The task command: task log, semaphore, and its fault switches.

#include <chrono>

#include "inversion_fixture.h"
#include "text.h"

namespace zelkon_ref_test {
namespace {

// The number after the key, to the end of its line.
double log_value(const std::string& log, const std::string& key) {
    size_t at = log.find(key);
    EXPECT_NE(at, std::string::npos) << key;
    size_t end = log.find('\r', at);
    return zelkon_ref::parse_real(log.substr(at + key.size(), end - at - key.size())).value_or(-1);
}

// The log (with the clock time the controller reads) is written before the semaphore goes;
// the least duration and the slowness switches stretch the clock time.
TEST(ZelkonTask, LogTellsTheClockTimeAndTheSemaphoreGoes) {
    Inversion inv;
    ASSERT_EQ(inv.task(1, 1, 30).exit_code, 0);
    ASSERT_EQ(inv.task(2, 1, 30, {"ZELKON_SLOWNESS=4"}).exit_code, 0);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(inv.task(3, 1, 2, {"ZELKON_TASK_MIN_SECONDS=0.6"}).exit_code, 0);
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.6);
    std::vector<std::string> logs;
    for (int task = 1; task <= 3; ++task) {
        EXPECT_FALSE(inv.job_file_exists(inv.task_name(task) + ".sem"));
        logs.push_back(read_file(inv.job_folder() / (inv.task_name(task) + ".log")));
    }
    const std::string clock = "Clock time taken:";
    EXPECT_GE(log_value(logs[0], clock), 0);
    EXPECT_LT(log_value(logs[0], clock), 1);
    EXPECT_EQ(log_value(logs[0], "Kernel evaluations:"), 30 * 120 * 2);
    // The computing time is printed to the millisecond.
    EXPECT_GE(log_value(logs[1], clock) * 60 + 0.003,
              4 * log_value(logs[1], "Computing time (s):"));
    EXPECT_GE(log_value(logs[2], clock) * 60, 0.6);
}

TEST(ZelkonTask, BadRequestKeepsTheSemaphoreAndSaysWhy) {
    Inversion inv;
    ProgramRun run = inv.task(6, 25, 31);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(6) + ".sem"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(6) + ".log"));
    std::string why = read_file(inv.job_folder() / (inv.task_name(6) + ".err"));
    EXPECT_NE(why.find("within 1 to 30"), std::string::npos) << why;

    ProgramRun bad_switch = inv.task(7, 1, 2, {"ZELKON_SLOWNESS=0.5"});
    EXPECT_EQ(bad_switch.exit_code, 1);
    EXPECT_NE(bad_switch.err.find("ZELKON_SLOWNESS"), std::string::npos);
    ProgramRun missing = run_program("zelkon_cluster_task", {"/nowhere/x.zcd", "1", "1", "2"}, ".");
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("/nowhere/x.zcd"), std::string::npos);
}

}  // namespace
}  // namespace zelkon_ref_test
