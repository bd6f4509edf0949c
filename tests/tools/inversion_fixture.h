// The reference programs run from the build's bin/ folder as the controller runs them, on
// a small inversion folder and job folder in a temporary place.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/captured_run.h"
#include "platform/temp_folder.h"
#include "text.h"

namespace zelkon_ref_test {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

inline void write_file(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A field read the way the controller reads the assembly log: fixed columns counted from 1.
inline std::string columns(const std::string& line, size_t from, size_t to) {
    return from - 1 < line.size() ? line.substr(from - 1, to - from + 1) : "";
}

inline double number_at(const std::string& line, size_t from, size_t to) {
    auto v = zelkon_ref::parse_real(columns(line, from, to));
    EXPECT_TRUE(v.has_value()) << "columns " << from << "-" << to << " of [" << line << "]";
    return v.value_or(-1);
}

using zelkon::TempFolder;

// What a program did: its exit code (124 when it still ran after a minute and was
// ended) and what it wrote.
struct ProgramRun {
    int exit_code = -1;
    std::string out, err;
};

// Runs a program of the build in a folder, with extra environment variables.
inline ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                              const fs::path& folder, const std::vector<std::string>& env = {}) {
    std::vector<std::string> command = {"timeout", "60", "env", "-C", folder.string()};
    command.insert(command.end(), env.begin(), env.end());
    command.push_back(std::string(ZELKON_BIN_DIR) + "/" + program);
    command.insert(command.end(), args.begin(), args.end());
    zelkon::CapturedRun run = zelkon::run_captured(command);
    return {run.exit_status, run.output, run.errors};
}

// 30 stations over a 6 x 5 x 4 mesh, two components.
inline const char* const kSmallInput =
    "station_origin = 5 5\n"
    "station_spacing = 20 20\n"
    "station_count = 6 5\n"
    "station_height = 3\n"
    "mesh_origin = -10 -10 0\n"
    "cell_size = 25 25 15\n"
    "cell_count = 6 5 4\n"
    "component = gz gz 1\n"
    "component = gx gx 2\n";

// An initialised job: the cluster data file is in the inversion folder and the job folder.
class Inversion {
  public:
    explicit Inversion(const std::string& input = kSmallInput, long long job_id = 12)
        : inversion_(root_.file("inversion")), job_(root_.file("work/Job_12")), job_id_(job_id) {
        data_file_ = "zelkon_cluster_" + std::to_string(job_id) + ".zcd";
        fs::create_directories(inversion_);
        fs::create_directories(job_);
        write_file(inversion_ / "zelkon.inp", input);
        ProgramRun init =
            run_program("zelkon", {"zelkon.inp", "CLUSTER=" + std::to_string(job_id)}, inversion_);
        EXPECT_EQ(init.exit_code, 0) << init.err;
        std::error_code ec;
        fs::copy_file(inversion_ / data_file_, job_ / data_file_, ec);
    }

    const fs::path& folder() const { return inversion_; }
    const fs::path& job_folder() const { return job_; }
    // The job folder joined directly to the cluster data file name, as the commands get it.
    std::string job_data_file() const { return job_.string() + "/" + data_file_; }
    std::string task_name(long long task) const {
        char name[64];
        std::snprintf(name, sizeof name, "Zelkon_job_%06lld_task_%06lld", job_id_, task);
        return name;
    }
    std::string file(const std::string& name) const { return read_file(inversion_ / name); }
    bool job_file_exists(const std::string& name) const { return fs::exists(job_ / name); }

    // Creates the task's semaphore file, as dispatch does, then runs the task.
    ProgramRun task(long long task, long long first, long long last,
                    const std::vector<std::string>& env = {}, int threads = 0) const {
        write_file(job_ / (task_name(task) + ".sem"), "");
        std::vector<std::string> args = {job_data_file(), std::to_string(task),
                                         std::to_string(first), std::to_string(last)};
        if (threads > 0) {
            args.push_back("OMP_NUM_THREADS=" + std::to_string(threads));
        }
        return run_program("zelkon_cluster_task", args, job_.parent_path(), env);
    }
    ProgramRun assemble(long long first_task, long long count,
                        const std::vector<std::string>& env = {}) const {
        std::vector<std::string> args = {job_data_file(), std::to_string(first_task), "nodeA/1"};
        if (count > 1) {
            args.push_back(std::to_string(count));
        }
        return run_program("zelkon_cluster_assemble", args, inversion_, env);
    }
    // Runs tasks 1, 2, ... over the ranges ({first, last}) on 1 to 3 threads; all must succeed.
    void run_tasks(const std::vector<std::pair<long long, long long>>& ranges) const {
        for (size_t t = 0; t < ranges.size(); ++t) {
            ProgramRun run = task(static_cast<long long>(t + 1), ranges[t].first, ranges[t].second,
                                  {}, static_cast<int>(t % 3) + 1);
            ASSERT_EQ(run.exit_code, 0) << run.err;
        }
    }

  private:
    TempFolder root_;
    fs::path inversion_, job_;
    long long job_id_;
    std::string data_file_;
};

}  // namespace zelkon_ref_test
