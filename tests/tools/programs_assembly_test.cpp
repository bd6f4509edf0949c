// The assembly command: batches, the fixed-column log, markers, and exactly-once merging.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cluster_job.h"
#include "files.h"
#include "inversion_fixture.h"
#include "matrix_format.h"
#include "prism.h"
#include "text.h"

namespace zelkon_ref_test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::pair<long long, long long>> kSplit = {{1, 4},   {5, 9},   {10, 17},
                                                             {18, 18}, {19, 25}, {26, 30}};

struct LogLine {
    long long task, first, last;
    double seconds;
    long long gz_bytes, gx_bytes;
};

// Data lines of the assembly log, decoded by the controller's columns.
std::vector<LogLine> data_lines(const std::string& text) {
    std::vector<LogLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (zelkon_ref::trim(line).empty() || line.find("TaskID") != std::string::npos) {
            continue;
        }
        auto field = [&](size_t from, size_t to) {
            auto v = zelkon_ref::parse_real(line.substr(from - 1, to - from + 1));
            EXPECT_TRUE(v.has_value()) << line;
            return v.value_or(-1);
        };
        lines.push_back({static_cast<long long>(field(1, 7)), static_cast<long long>(field(8, 15)),
                         static_cast<long long>(field(16, 23)), field(47, 56),
                         static_cast<long long>(field(70, 81)),
                         static_cast<long long>(field(95, 106))});
    }
    return lines;
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

TEST(ZelkonAssemble, SplitJobAssembledInBatchesEqualsOneTask) {
    Inversion inv;
    inv.run_tasks(kSplit);
    for (auto [first, count] : {std::pair{1, 2}, {3, 1}, {4, 3}}) {
        ProgramRun run = inv.assemble(first, count);
        ASSERT_EQ(run.exit_code, 0) << run.err;
    }
    expect_matches_reference(inv);
    std::vector<LogLine> lines = data_lines(inv.file("zelkon_cluster_12_assembly.dat"));
    ASSERT_EQ(lines.size(), kSplit.size());
    for (size_t t = 0; t < lines.size(); ++t) {
        EXPECT_EQ(lines[t].task, static_cast<long long>(t + 1));
        EXPECT_EQ(lines[t].first, kSplit[t].first);
        EXPECT_EQ(lines[t].last, kSplit[t].second);
        EXPECT_GE(lines[t].seconds, 0);
        EXPECT_TRUE(inv.job_file_exists(inv.task_name(t + 1) + ".old"));
    }
    EXPECT_EQ(lines.back().gz_bytes, static_cast<long long>(reference().gz.size()));
    EXPECT_EQ(lines.back().gx_bytes, static_cast<long long>(reference().gx.size()));
}

TEST(ZelkonAssemble, MatrixHoldsEveryRowOfTheKernelInOrder) {
    const Inversion& inv = reference().inv;
    zelkon_ref::ClusterJob job = zelkon_ref::read_cluster_job(inv.job_data_file());
    zelkon_ref::RowKernel kernel(job.survey.mesh);
    std::vector<zelkon_ref::MatrixRow> rows = zelkon_ref::read_matrix_rows(reference().gx, "gx");
    ASSERT_EQ(rows.size(), 30u);
    for (size_t i = 0; i < rows.size(); ++i) {
        std::vector<float> expected;
        kernel.compute(zelkon_ref::Kernel::gx,
                       zelkon_ref::station_position(job.survey.stations, i + 1), expected);
        EXPECT_EQ(rows[i].datum, i + 1);
        EXPECT_EQ(rows[i].values, expected);
    }
}

TEST(ZelkonAssemble, CheckerReadsTheMatrixBackAndFindsDamage) {
    const Inversion& inv = reference().inv;
    ProgramRun good = run_program("zelkon_matrix_check", {"parvex_gz.mtx"}, inv.folder());
    EXPECT_EQ(good.exit_code, 0) << good.err;
    EXPECT_NE(good.out.find("30 rows of 120 cells"), std::string::npos) << good.out;

    TempFolder folder;
    std::string damaged = reference().gz;
    damaged.resize(damaged.size() - 5);
    write_file(folder.path() / "cut.mtx", damaged);
    ProgramRun bad = run_program("zelkon_matrix_check", {"cut.mtx"}, folder.path());
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_NE(bad.err.find("cut short"), std::string::npos) << bad.err;
}

TEST(ZelkonAssemble, KilledMidAppendAndRestartedGivesTheSameBytes) {
    Inversion inv;
    inv.run_tasks(kSplit);
    ProgramRun killed = inv.assemble(1, 6, {"ZELKON_ASSEMBLE_CRASH=4"});
    EXPECT_EQ(killed.exit_code, 71);
    EXPECT_EQ(data_lines(inv.file("zelkon_cluster_12_assembly.dat")).size(), 3u);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(3) + ".old"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(4) + ".old"));

    ProgramRun again = inv.assemble(1, 6);
    ASSERT_EQ(again.exit_code, 0) << again.err;
    expect_matches_reference(inv);
    std::vector<LogLine> lines = data_lines(inv.file("zelkon_cluster_12_assembly.dat"));
    ASSERT_EQ(lines.size(), 6u);
    for (size_t t = 0; t < lines.size(); ++t) {
        EXPECT_EQ(lines[t].task, static_cast<long long>(t + 1));
    }
}

TEST(ZelkonAssemble, KilledAfterItsLogLineTheRestartOnlyAddsTheMarker) {
    Inversion inv;
    inv.run_tasks(kSplit);
    EXPECT_EQ(inv.assemble(1, 3, {"ZELKON_ASSEMBLE_CRASH=2:logged"}).exit_code, 72);
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(2) + ".old"));
    EXPECT_EQ(data_lines(inv.file("zelkon_cluster_12_assembly.dat")).size(), 2u);
    ASSERT_EQ(inv.assemble(1, 3).exit_code, 0);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(2) + ".old"));
    // A continued run starts its batches after the last logged task.
    ASSERT_EQ(inv.assemble(4, 3).exit_code, 0);
    expect_matches_reference(inv);
    EXPECT_EQ(data_lines(inv.file("zelkon_cluster_12_assembly.dat")).size(), 6u);
}

TEST(ZelkonAssemble, GapOrMissingPieceChangesNothingAndSaysWhy) {
    Inversion inv;
    inv.run_tasks(kSplit);
    ASSERT_EQ(inv.assemble(1, 2).exit_code, 0);
    const std::string gz = inv.file("parvex_gz.mtx");
    const std::string log = inv.file("zelkon_cluster_12_assembly.dat");

    ProgramRun gap = inv.assemble(4, 1);
    EXPECT_EQ(gap.exit_code, 1);
    EXPECT_NE(gap.err.find("task 3 is not assembled yet"), std::string::npos) << gap.err;

    fs::remove(inv.job_folder() / (inv.task_name(4) + "_gx.zpc"));
    ProgramRun missing = inv.assemble(3, 2);
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
    EXPECT_NE(inv.file("zelkon_cluster_12_assembly.err").find("does not exist"), std::string::npos);
    EXPECT_TRUE(inv.job_file_exists(inv.task_name(3) + ".old"));
    EXPECT_FALSE(inv.job_file_exists(inv.task_name(4) + ".old"));
    EXPECT_EQ(data_lines(inv.file("zelkon_cluster_12_assembly.dat")).size(), 3u);
    EXPECT_EQ(inv.file("parvex_gz.mtx").substr(0, gz.size()), gz);
    EXPECT_EQ(inv.file("zelkon_cluster_12_assembly.dat").substr(0, log.size()), log);
}

TEST(ZelkonAssemble, PieceOfTheWrongRangeIsRefused) {
    Inversion inv;
    ASSERT_EQ(inv.task(1, 1, 4).exit_code, 0);
    ASSERT_EQ(inv.task(2, 6, 9).exit_code, 0);  // data point 5 is missing
    ASSERT_EQ(inv.assemble(1, 1).exit_code, 0);
    ProgramRun run = inv.assemble(2, 1);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("starts at data point 6 but the matrix ends at data point 4"),
              std::string::npos)
        << run.err;
}

TEST(ZelkonAssemble, FreshRunSetsAnEarlierLogAside) {
    Inversion inv;
    inv.run_tasks(kSplit);
    ASSERT_EQ(inv.assemble(1, 6).exit_code, 0);
    const std::string earlier = inv.file("zelkon_cluster_12_assembly.dat");
    // A fresh run deletes the matrix files but not the log.
    fs::remove(inv.folder() / "parvex_gz.mtx");
    fs::remove(inv.folder() / "parvex_gx.mtx");
    ASSERT_EQ(inv.assemble(1, 1).exit_code, 0);
    EXPECT_EQ(inv.file("zelkon_cluster_12_assembly.dat.1"), earlier);
    EXPECT_EQ(data_lines(inv.file("zelkon_cluster_12_assembly.dat")).size(), 1u);
    ASSERT_EQ(inv.assemble(2, 5).exit_code, 0);
    expect_matches_reference(inv);
}

TEST(ZelkonAssemble, SecondAssemblyInTheSameFolderIsRefused) {
    Inversion inv;
    inv.run_tasks({{1, 30}});
    zelkon_ref::FolderLock held(inv.folder());  // as a running assembly holds it
    ProgramRun run = inv.assemble(1, 1);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("another assembly is working"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(inv.folder() / "parvex_gz.mtx"));
}

TEST(ZelkonAssemble, ShortenedMatrixIsNotContinued) {
    Inversion inv;
    inv.run_tasks(kSplit);
    ASSERT_EQ(inv.assemble(1, 2).exit_code, 0);
    fs::resize_file(inv.folder() / "parvex_gx.mtx", 100);
    ProgramRun run = inv.assemble(3, 1);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("parvex_gx.mtx is missing or shorter than"), std::string::npos)
        << run.err;
    EXPECT_EQ(data_lines(inv.file("zelkon_cluster_12_assembly.dat")).size(), 2u);
}

TEST(ZelkonAssemble, OneComponentWritesParvexMtx) {
    Inversion inv(kOneComponentInput, 7);
    ASSERT_EQ(inv.task(1, 1, 5).exit_code, 0);
    ASSERT_EQ(inv.task(2, 6, 12).exit_code, 0);
    ProgramRun run = inv.assemble(1, 2);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    std::vector<zelkon_ref::MatrixRow> rows =
        zelkon_ref::read_matrix_rows(inv.file("parvex.mtx"), "parvex.mtx");
    EXPECT_EQ(rows.size(), 12u);
    EXPECT_TRUE(fs::exists(inv.folder() / "zelkon_cluster_7_assembly.dat"));
}

TEST(ZelkonAssemble, BadCommandLineShowsUsage) {
    Inversion inv;
    for (std::vector<std::string> args : {std::vector<std::string>{inv.job_data_file(), "1"},
                                          {inv.job_data_file(), "0", "nodeA/1"},
                                          {inv.job_data_file(), "1", "nodeA/1", "0"},
                                          {inv.job_data_file(), "x", "nodeA/1"}}) {
        ProgramRun run = run_program("zelkon_cluster_assemble", args, inv.folder());
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_NE(run.err.find("usage: zelkon_cluster_assemble"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelkon_ref_test
