// The reference programs where whole runs do not reach them, and the matrix's arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "assembly_log.h"
#include "error.h"
#include "files.h"
#include "matrix_format.h"
#include "platform/captured_run.h"
#include "platform/temp_folder.h"
#include "prism.h"

namespace zelkon_ref {
namespace {

namespace fs = std::filesystem;
using zelkon::TempFolder;

std::string read_file(const fs::path& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Exit code 124 when the program still ran after a minute.
zelkon::CapturedRun run_program(const std::string& program, std::vector<std::string> args,
                                const fs::path& folder) {
    args.insert(args.begin(), {"timeout", "60", "env", "-C", folder.string(),
                               std::string(ZELKON_BIN_DIR) + "/" + program});
    return zelkon::run_captured(args);
}

// 30 stations over a 6 x 5 x 4 mesh, two components.
const char* const kSmallInput =
    "station_origin = 5 5\nstation_spacing = 20 20\nstation_count = 6 5\nstation_height = 3\n"
    "mesh_origin = -10 -10 0\ncell_size = 25 25 15\ncell_count = 6 5 4\n"
    "component = gz gz 1\ncomponent = gx gx 2\n";

// Job 12, initialised: the cluster data file is in the inversion folder and the job folder.
class Inversion {
  public:
    Inversion() : inversion_(root_.file("inversion")), job_(root_.file("work/Job_12")) {
        fs::create_directories(inversion_);
        fs::create_directories(job_);
        std::ofstream(inversion_ / "zelkon.inp") << kSmallInput;
        EXPECT_EQ(run_program("zelkon", {"zelkon.inp", "CLUSTER=12"}, inversion_).exit_status, 0);
        fs::copy_file(inversion_ / "zelkon_cluster_12.zcd", job_ / "zelkon_cluster_12.zcd");
    }
    const fs::path& folder() const { return inversion_; }
    std::string file(const std::string& name) const { return read_file(inversion_ / name); }
    bool job_file_exists(int task, const std::string& ending) const {
        return fs::exists(job_ / (task_name(task) + ending));
    }
    std::string task_name(int task) const {
        char name[64];
        std::snprintf(name, sizeof name, "Zelkon_job_000012_task_%06d", task);
        return name;
    }
    // Creates the task's semaphore file, as dispatch does, then runs the task.
    zelkon::CapturedRun task(int task, int first, int last, int threads = 1) const {
        std::ofstream(job_ / (task_name(task) + ".sem"));
        return run_program("zelkon_cluster_task",
                           {data_file(), std::to_string(task), std::to_string(first),
                            std::to_string(last), "OMP_NUM_THREADS=" + std::to_string(threads)},
                           job_.parent_path());
    }
    zelkon::CapturedRun assemble(int first_task, int count) const {
        return run_program(
            "zelkon_cluster_assemble",
            {data_file(), std::to_string(first_task), "nodeA/1", std::to_string(count)},
            inversion_);
    }
    // The job folder joined directly to the cluster data file name, as the commands get it.
    std::string data_file() const { return job_.string() + "/zelkon_cluster_12.zcd"; }
    TempFolder root_;
    fs::path inversion_, job_;
};

// An Error line in the log named with the job ID as given, exit 1, no cluster data file.
TEST(ZelkonInit, AFailureIsLoggedUnderTheJobIdAsGiven) {
    for (const char* says : {"unknown key \"density\"", "does not exist"}) {
        TempFolder folder;
        if (says[0] == 'u') {
            std::ofstream(folder.file("zelkon.inp")) << kSmallInput << "density = 2.67\n";
        }
        auto run = run_program("zelkon", {"zelkon.inp", "CLUSTER=000007"}, folder.path());
        EXPECT_EQ(run.exit_status, 1) << run.errors;
        std::string log = read_file(folder.file("zelkon_cluster_init_000007.log"));
        EXPECT_TRUE(contains(log, "Error") && contains(log, says)) << log;
        EXPECT_FALSE(fs::exists(folder.file("zelkon_cluster_7.zcd")));
    }
}

// A bad request keeps the semaphore and says why in the task's .err file.
TEST(ZelkonTask, ABadRequestKeepsTheSemaphoreAndSaysWhy) {
    Inversion inv;
    EXPECT_EQ(inv.task(6, 25, 31).exit_status, 1);
    EXPECT_TRUE(inv.job_file_exists(6, ".sem"));
    EXPECT_FALSE(inv.job_file_exists(6, ".log"));
    EXPECT_TRUE(contains(read_file(inv.job_ / (inv.task_name(6) + ".err")), "within 1 to 30"));
    auto missing = run_program("zelkon_cluster_task", {"/nowhere/x.zcd", "1", "1", "2"}, ".");
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_TRUE(contains(missing.errors, "/nowhere/x.zcd")) << missing.errors;
}

// Whole runs compare split matrices with this one: each cell's prism seen from each station.
TEST(ZelkonAssemble, MatrixHoldsTheFieldOfEveryCellAtEveryStation) {
    Inversion inv;
    ASSERT_EQ(inv.task(1, 1, 30, 3).exit_status, 0);
    ASSERT_EQ(inv.assemble(1, 1).exit_status, 0);
    for (Kernel kernel : {Kernel::gz, Kernel::gx}) {
        std::string name = std::string("parvex_") + kernel_name(kernel) + ".mtx";
        std::vector<MatrixRow> rows = read_matrix_rows(inv.file(name), name);
        ASSERT_EQ(rows.size(), 30u);
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(rows[i].datum, i + 1u);
            ASSERT_EQ(rows[i].values.size(), 120u);
            Point station{5.0 + 20 * (i % 6), 5.0 + 20 * (i / 6), 3};
            for (int c = 0; c < 120; ++c) {  // x fastest, then y, then depth
                int ix = c % 6, iy = c / 6 % 5, iz = c / 30;
                Box cell{-10 + 25.0 * ix, 15 + 25.0 * ix,   -10 + 25.0 * iy,
                         15 + 25.0 * iy,  -15.0 * (iz + 1), -15.0 * iz};
                double expected = prism_field(kernel, station, cell);
                EXPECT_NEAR(rows[i].values[c], expected, 1e-5 * std::fabs(expected) + 1e-12)
                    << name << " row " << i + 1 << " cell " << c;
            }
        }
    }
    auto good = run_program("zelkon_matrix_check", {"parvex_gz.mtx"}, inv.folder());
    EXPECT_TRUE(good.exit_status == 0 && contains(good.output, "30 rows of 120 cells"))
        << good.output;
    fs::resize_file(inv.folder() / "parvex_gz.mtx",
                    fs::file_size(inv.folder() / "parvex_gz.mtx") - 5);
    auto bad = run_program("zelkon_matrix_check", {"parvex_gz.mtx"}, inv.folder());
    EXPECT_EQ(bad.exit_status, 1);
    EXPECT_TRUE(contains(bad.errors, "cut short")) << bad.errors;
}

// Each refusal leaves the matrix files and the log as they were, and says why.
TEST(ZelkonAssemble, RefusalsChangeNothingAndSayWhy) {
    Inversion inv;
    const std::pair<int, int> split[] = {{1, 4}, {5, 9}, {10, 17}, {18, 30}};
    for (int t = 1; t <= 4; ++t) {
        ASSERT_EQ(inv.task(t, split[t - 1].first, split[t - 1].second).exit_status, 0);
    }
    ASSERT_EQ(inv.assemble(1, 2).exit_status, 0);
    const std::string gz = inv.file("parvex_gz.mtx"), gx = inv.file("parvex_gx.mtx");
    const std::string log = inv.file("zelkon_cluster_12_assembly.dat");
    auto refused = [&](int first, const std::string& says) {
        auto run = inv.assemble(first, 1);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_TRUE(contains(run.errors, says)) << run.errors;
        EXPECT_EQ(inv.file("parvex_gz.mtx"), gz);
        EXPECT_EQ(inv.file("zelkon_cluster_12_assembly.dat"), log);
    };
    refused(4, "task 3 is not assembled yet");
    {
        FolderLock held(inv.folder());  // as a running assembly holds it
        refused(3, "another assembly is working");
    }
    fs::resize_file(inv.folder() / "parvex_gx.mtx", 100);
    refused(3, "parvex_gx.mtx is missing or shorter than");
    std::ofstream(inv.folder() / "parvex_gx.mtx", std::ios::binary) << gx;
    ASSERT_EQ(inv.task(3, 11, 17).exit_status, 0);  // data point 10 is missing
    refused(3, "starts at data point 11 but the matrix ends at data point 9");
    // A missing piece stops the batch after the tasks before it.
    ASSERT_EQ(inv.task(3, 10, 17).exit_status, 0);
    fs::remove(inv.job_ / (inv.task_name(4) + "_gx.zpc"));
    EXPECT_EQ(inv.assemble(3, 2).exit_status, 1);
    EXPECT_TRUE(contains(inv.file("zelkon_cluster_12_assembly.err"), "does not exist"));
    EXPECT_TRUE(inv.job_file_exists(3, ".old"));
    EXPECT_FALSE(inv.job_file_exists(4, ".old"));
}

// The widest values fill their fixed columns exactly; wider ones are refused.
TEST(ZelkonAssemblyLog, TheWidestValuesFillTheirColumnsAndWiderOnesAreRefused) {
    AssemblyLine line{1234567,    99999001,       99999999, 999,      12.345,
                      "23:59:58", {999999999999}, {2},      "nodeA/3"};
    const std::string text = format_assembly_line(line);
    EXPECT_EQ(text.substr(0, 31),
              "123456799999001"
              "99999999"
              "     999");
    EXPECT_EQ(text.substr(46, 10), "    12.345");
    EXPECT_EQ(text.substr(69, 12), "999999999999");
    line.task = 10000000;
    EXPECT_THROW(format_assembly_line(line), ZelkonError);
    line.task = 1;
    line.sizes[0] = 1000000000000ull;
    EXPECT_THROW(format_assembly_line(line), ZelkonError);
}

}  // namespace
}  // namespace zelkon_ref
