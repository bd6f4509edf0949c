// The task command: pieces, task log, semaphore, and its fault switches.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "cluster_job.h"
#include "inversion_fixture.h"
#include "matrix_format.h"
#include "prism.h"
#include "text.h"

namespace zelkon_ref_test {
namespace {

namespace fs = std::filesystem;

// The minutes the controller reads: the first line starting "Clock time taken", after ":".
double clock_minutes(const std::string& log) {
    size_t at = log.find("Clock time taken");
    EXPECT_NE(at, std::string::npos);
    size_t colon = log.find(':', at);
    size_t end = log.find('\r', colon);
    return zelkon_ref::parse_real(log.substr(colon + 1, end - colon - 1)).value_or(-1);
}

double log_value(const std::string& log, const std::string& key) {
    size_t at = log.find(key);
    size_t end = log.find('\r', at);
    return zelkon_ref::parse_real(log.substr(at + key.size(), end - at - key.size())).value_or(-1);
}

TEST(ZelkonTask, PiecesHoldThePrismFieldOfEachStation) {
    Inversion inv;
    ProgramRun run = inv.task(2, 5, 9, {}, 2);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    zelkon_ref::ClusterJob job = zelkon_ref::read_cluster_job(inv.job_data_file());
    zelkon_ref::RowKernel kernel(job.survey.mesh);
    for (size_t c = 0; c < 2; ++c) {
        std::string bytes = read_file(inv.job_folder() / zelkon_ref::piece_name(job, 2, c));
        zelkon_ref::PieceHeader h = zelkon_ref::check_piece(bytes, "piece");
        EXPECT_EQ(h.first, 5u);
        EXPECT_EQ(h.last, 9u);
        EXPECT_EQ(h.component, c + 1);
        std::string as_matrix = zelkon_ref::matrix_header(h.cells) + bytes.substr(32);
        std::vector<zelkon_ref::MatrixRow> rows = zelkon_ref::read_matrix_rows(as_matrix, "piece");
        ASSERT_EQ(rows.size(), 5u);
        for (const zelkon_ref::MatrixRow& row : rows) {
            std::vector<float> expected;
            kernel.compute(job.survey.components[c].kernel,
                           zelkon_ref::station_position(job.survey.stations, row.datum), expected);
            EXPECT_EQ(row.values, expected) << "data point " << row.datum;
        }
    }
}

TEST(ZelkonTask, LogIsWrittenAndSemaphoreRemoved) {
    Inversion inv;
    ProgramRun run = inv.task(3, 1, 30);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(3) + ".sem"));
    std::string log = read_file(inv.job_folder() / (inv.task_name(3) + ".log"));
    double minutes = clock_minutes(log);
    EXPECT_GE(minutes, 0);
    EXPECT_LT(minutes, 1);
    EXPECT_EQ(log_value(log, "Kernel evaluations:"), 30 * 120 * 2);
}

TEST(ZelkonTask, LeastDurationPadsTheClockTime) {
    Inversion inv;
    auto start = std::chrono::steady_clock::now();
    ProgramRun run = inv.task(1, 1, 2, {"ZELKON_TASK_MIN_SECONDS=0.6"});
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_GE(wall, 0.6);
    double minutes = clock_minutes(read_file(inv.job_folder() / (inv.task_name(1) + ".log")));
    EXPECT_GE(minutes * 60, 0.6);
}

TEST(ZelkonTask, SlownessMultipliesTheComputingTime) {
    Inversion inv;
    ASSERT_EQ(inv.task(1, 1, 30, {"ZELKON_SLOWNESS=4"}).exit_code, 0);
    std::string log = read_file(inv.job_folder() / (inv.task_name(1) + ".log"));
    double computing = log_value(log, "Computing time (s):");
    // The computing time is printed to the millisecond.
    EXPECT_GE(clock_minutes(log) * 60 + 0.003, 4 * computing);
}

TEST(ZelkonTask, CrashLeavesSemaphoreAndNoLogThenTheRetrySucceeds) {
    Inversion inv;
    ProgramRun first = inv.task(4, 1, 6, {"ZELKON_TASK_CRASH=2,4"});
    EXPECT_EQ(first.exit_code, 70);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(4) + ".sem"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(4) + ".log"));
    ProgramRun retry = inv.task(4, 1, 6, {"ZELKON_TASK_CRASH=2,4"});
    EXPECT_EQ(retry.exit_code, 0) << retry.err;
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(4) + ".sem"));
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(4) + ".log"));
    // A task not in the list is not touched.
    EXPECT_EQ(inv.task(3, 7, 9, {"ZELKON_TASK_CRASH=2,4"}).exit_code, 0);
}

TEST(ZelkonTask, EveryAttemptSwitchRepeatsTheCrash) {
    Inversion inv;
    std::vector<std::string> env = {"ZELKON_TASK_CRASH=all", "ZELKON_FAULT_EVERY_ATTEMPT=1"};
    EXPECT_EQ(inv.task(1, 1, 2, env).exit_code, 70);
    EXPECT_EQ(inv.task(1, 1, 2, env).exit_code, 70);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(1) + ".sem"));
}

TEST(ZelkonTask, HungTaskKeepsItsSemaphoreUntilTheJobFolderGoes) {
    Inversion inv;
    write_file(inv.job_folder() / (inv.task_name(5) + ".sem"), "");
    pid_t pid = start_program("zelkon_cluster_task", {inv.job_data_file(), "5", "1", "3"},
                              inv.folder(), {"ZELKON_TASK_HANG=5"});
    // The fault marker shows the task has decided to hang.
    for (int i = 0; i < 200 && !inv.job_file_exists(inv.task_name(5) + ".fault"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(wait_exit(pid, 0.5), -1);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(5) + ".sem"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(5) + ".log"));
    fs::remove_all(inv.job_folder());
    int code = wait_exit(pid, 5.0);
    if (code == -1) {
        kill_program(pid);
    }
    EXPECT_EQ(code, 3);
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
}

TEST(ZelkonTask, BadCommandLineShowsUsage) {
    Inversion inv;
    for (std::vector<std::string> args :
         {std::vector<std::string>{inv.job_data_file(), "1", "1"},
          {inv.job_data_file(), "1", "1", "x"},
          {inv.job_data_file(), "1", "1", "2", "THREADS=2"},
          {inv.job_data_file(), "1", "1", "2", "OMP_NUM_THREADS=0"}}) {
        ProgramRun run = run_program("zelkon_cluster_task", args, inv.folder());
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_NE(run.err.find("usage: zelkon_cluster_task"), std::string::npos);
    }
    ProgramRun missing = run_program("zelkon_cluster_task", {"/nowhere/x.zcd", "1", "1", "2"}, ".");
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("/nowhere/x.zcd"), std::string::npos);
}

}  // namespace
}  // namespace zelkon_ref_test
