// The reference programs' contract with the controller: the initialisation's log, the
// task's log and semaphore, and the assembly's batches, fixed-column log, markers and
// exactly-once merging.
#include <algorithm>
#include <sstream>

#include "cluster_job.h"
#include "files.h"
#include "inversion_fixture.h"
#include "matrix_format.h"
#include "prism.h"
#include "text.h"

namespace zelkon_ref_test {
namespace {

std::vector<std::string> log_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r') << "not a CR LF line: " << line;
        lines.push_back(zelkon_ref::trim(line));
    }
    return lines;
}

// The controller reads the log in whole runs. Bad input or a missing input file give one
// Error line, a non-zero exit and no cluster data file; the log is named with the job ID as
// the caller wrote it.
TEST(ZelkonInit, OutcomeIsLoggedUnderTheJobIdAsGiven) {
    struct Case {
        std::string input;  // none when empty
        std::vector<std::string> env;
        std::string says;  // success when empty
    } cases[] = {{kSmallInput, {}, ""},
                 {std::string(kSmallInput) + "density = 2.67\n", {}, "unknown key \"density\""},
                 {"", {}, "does not exist"}};
    for (const Case& c : cases) {
        TempFolder folder;
        if (!c.input.empty()) {
            write_file(folder.file("zelkon.inp"), c.input);
        }
        ProgramRun run =
            run_program("zelkon", {"zelkon.inp", "CLUSTER=000007"}, folder.path(), c.env);
        EXPECT_EQ(run.exit_code, c.says.empty() ? 0 : 1) << run.err;
        EXPECT_TRUE(fs::exists(folder.file("zelkon_cluster_init_000007.log")));
        EXPECT_FALSE(fs::exists(folder.file("zelkon_cluster_init_7.log")));
        EXPECT_EQ(fs::exists(folder.file("zelkon_cluster_7.zcd")), c.says.empty());
        std::vector<std::string> errors;
        std::ranges::copy_if(log_lines(read_file(folder.file("zelkon_cluster_init_000007.log"))),
                             std::back_inserter(errors), [](const std::string& line) {
                                 return line.find("Error") != std::string::npos;
                             });
        ASSERT_EQ(errors.size(), c.says.empty() ? 0u : 1u) << c.says;
        EXPECT_TRUE(c.says.empty() || errors[0].find(c.says) != std::string::npos) << c.says;
    }
}

// The log (with the clock time the controller reads) is written before the semaphore goes;
// a bad request keeps the semaphore and says why in the task's .err file.
TEST(ZelkonTask, TheLogIsWrittenAndTheSemaphoreGoesOrABadRequestSaysWhy) {
    Inversion inv;
    ASSERT_EQ(inv.task(1, 1, 30).exit_code, 0);
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(1) + ".sem"));
    std::string log = read_file(inv.job_folder() / (inv.task_name(1) + ".log"));
    auto value = [&](const std::string& key) {
        size_t at = log.find(key);
        size_t end = log.find('\r', at);
        return at == std::string::npos
                   ? -1
                   : zelkon_ref::parse_real(log.substr(at + key.size(), end - at - key.size()))
                         .value_or(-1);
    };
    EXPECT_GE(value("Clock time taken:"), 0) << log;
    EXPECT_EQ(value("Kernel evaluations:"), 30 * 120 * 2) << log;
    ProgramRun run = inv.task(6, 25, 31);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(6) + ".sem"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(6) + ".log"));
    std::string why = read_file(inv.job_folder() / (inv.task_name(6) + ".err"));
    EXPECT_NE(why.find("within 1 to 30"), std::string::npos) << why;
    ProgramRun missing = run_program("zelkon_cluster_task", {"/nowhere/x.zcd", "1", "1", "2"}, ".");
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("/nowhere/x.zcd"), std::string::npos);
}

const std::vector<std::pair<long long, long long>> kSplit = {{1, 4},   {5, 9},   {10, 17},
                                                             {18, 18}, {19, 25}, {26, 30}};

const char* const kLog = "zelkon_cluster_12_assembly.dat";

// How many tasks the assembly log holds.
size_t data_lines(const std::string& text) {
    size_t count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        count += line.size() > 23 && line.find("TaskID") == std::string::npos ? 1 : 0;
    }
    return count;
}

// The same job computed as one task and assembled at once: what every split must give.
struct Reference {
    Reference() {
        EXPECT_EQ(inv.task(1, 1, 30).exit_code, 0);
        ProgramRun run = inv.assemble(1, 1);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        gz = inv.file("parvex_gz.mtx");
        gx = inv.file("parvex_gx.mtx");
    }
    Inversion inv;
    std::string gz, gx;
};

const Reference& reference() {
    static Reference r;
    return r;
}

void expect_matches_reference(const Inversion& inv) {
    EXPECT_EQ(inv.file("parvex_gz.mtx"), reference().gz);
    EXPECT_EQ(inv.file("parvex_gx.mtx"), reference().gx);
}

// With the split matrices equal to this one, every piece holds the right rows too.
TEST(ZelkonAssemble, MatrixHoldsEveryRowOfTheKernelInOrderAndTheCheckerReadsIt) {
    const Inversion& inv = reference().inv;
    zelkon_ref::ClusterJob job = zelkon_ref::read_cluster_job(inv.job_data_file());
    zelkon_ref::RowKernel kernel(job.survey.mesh);
    for (size_t c = 0; c < 2; ++c) {
        std::vector<zelkon_ref::MatrixRow> rows =
            zelkon_ref::read_matrix_rows(c == 0 ? reference().gz : reference().gx, "matrix");
        ASSERT_EQ(rows.size(), 30u);
        for (size_t i = 0; i < rows.size(); ++i) {
            std::vector<float> expected;
            kernel.compute(job.survey.components[c].kernel,
                           zelkon_ref::station_position(job.survey.stations, i + 1), expected);
            EXPECT_EQ(rows[i].datum, i + 1);
            EXPECT_EQ(rows[i].values, expected);
        }
    }
    ProgramRun good = run_program("zelkon_matrix_check", {"parvex_gz.mtx"}, inv.folder());
    EXPECT_EQ(good.exit_code, 0) << good.err;
    EXPECT_NE(good.out.find("30 rows of 120 cells"), std::string::npos) << good.out;
    TempFolder folder;
    write_file(folder.file("cut.mtx"), reference().gz.substr(0, reference().gz.size() - 5));
    ProgramRun bad = run_program("zelkon_matrix_check", {"cut.mtx"}, folder.path());
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_NE(bad.err.find("cut short"), std::string::npos) << bad.err;
}

// Each refusal leaves the matrix files and the log as they were, and says why.
TEST(ZelkonAssemble, RefusalsChangeNothingAndSayWhy) {
    Inversion inv;
    inv.run_tasks(kSplit);
    ASSERT_EQ(inv.assemble(1, 2).exit_code, 0);
    const std::string gz = inv.file("parvex_gz.mtx"), gx = inv.file("parvex_gx.mtx");
    const std::string log = inv.file(kLog);
    auto refused = [&](long long first, long long count, const std::string& says) {
        ProgramRun run = inv.assemble(first, count);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(inv.file("parvex_gz.mtx"), gz);
        EXPECT_EQ(inv.file(kLog), log);
    };
    refused(4, 1, "task 3 is not assembled yet");
    {
        zelkon_ref::FolderLock held(inv.folder());  // as a running assembly holds it
        refused(3, 1, "another assembly is working");
    }
    fs::resize_file(inv.folder() / "parvex_gx.mtx", 100);
    refused(3, 1, "parvex_gx.mtx is missing or shorter than");
    write_file(inv.folder() / "parvex_gx.mtx", gx);
    ASSERT_EQ(inv.task(3, 11, 17).exit_code, 0);  // data point 10 is missing
    refused(3, 1, "starts at data point 11 but the matrix ends at data point 9");
    ASSERT_EQ(inv.task(3, 10, 17).exit_code, 0);
    // A missing piece stops the batch after the tasks before it.
    fs::remove(inv.job_folder() / (inv.task_name(4) + "_gx.zpc"));
    ProgramRun missing = inv.assemble(3, 2);
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
    EXPECT_NE(inv.file("zelkon_cluster_12_assembly.err").find("does not exist"), std::string::npos);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(3) + ".old"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(4) + ".old"));
    EXPECT_EQ(data_lines(inv.file(kLog)), 3u);
    ASSERT_EQ(inv.task(4, 18, 18).exit_code, 0);
    ASSERT_EQ(inv.assemble(4, 3).exit_code, 0);
    expect_matches_reference(inv);
}

}  // namespace
}  // namespace zelkon_ref_test
