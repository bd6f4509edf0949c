#include "inversion_fixture.h"

#include <gtest/gtest.h>

namespace zelkon_ref_test {

namespace fs = std::filesystem;

const char* const kSmallInput =
    "station_origin = 5 5\n"
    "station_spacing = 20 20\n"
    "station_count = 6 5\n"
    "station_height = 3\n"
    "mesh_origin = -10 -10 0\n"
    "cell_size = 25 25 15\n"
    "cell_count = 6 5 4\n"
    "component = gz gz 1\n"
    "component = gx gx 2\n";

const char* const kOneComponentInput =
    "station_origin = 0 0\n"
    "station_spacing = 10 10\n"
    "station_count = 4 3\n"
    "station_height = 1\n"
    "mesh_origin = -10 -10 0\n"
    "cell_size = 10 10 10\n"
    "cell_count = 5 4 3\n"
    "component = d gz 7\n";

Inversion::Inversion(const std::string& input, long long job_id)
    : inversion_(root_.path() / "inversion"),
      job_(root_.path() / "work" / "Job_12"),
      job_id_(job_id),
      data_file_("zelkon_cluster_" + std::to_string(job_id) + ".zcd") {
    fs::create_directories(inversion_);
    fs::create_directories(job_);
    write_file(inversion_ / "zelkon.inp", input);
    ProgramRun init =
        run_program("zelkon", {"zelkon.inp", "CLUSTER=" + std::to_string(job_id)}, inversion_);
    EXPECT_EQ(init.exit_code, 0) << init.err;
    // ProgramRun setup copies the cluster data file into the job folder.
    std::error_code ec;
    fs::copy_file(inversion_ / data_file_, job_ / data_file_, ec);
}

std::string Inversion::job_data_file() const {
    return job_.string() + "/" + data_file_;
}

std::string Inversion::task_name(long long task) const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Zelkon_job_%06lld_task_%06lld", job_id_, task);
    return buffer;
}

ProgramRun Inversion::task(long long task, long long first, long long last,
                           const std::vector<std::string>& env, int threads) const {
    write_file(job_ / (task_name(task) + ".sem"), "");
    std::vector<std::string> args = {job_data_file(), std::to_string(task), std::to_string(first),
                                     std::to_string(last)};
    if (threads > 0) {
        args.push_back("OMP_NUM_THREADS=" + std::to_string(threads));
    }
    return run_program("zelkon_cluster_task", args, job_.parent_path(), env);
}

ProgramRun Inversion::assemble(long long first_task, long long count,
                               const std::vector<std::string>& env) const {
    std::vector<std::string> args = {job_data_file(), std::to_string(first_task), "nodeA/1"};
    if (count > 1) {
        args.push_back(std::to_string(count));
    }
    return run_program("zelkon_cluster_assemble", args, inversion_, env);
}

void Inversion::run_tasks(const std::vector<std::pair<long long, long long>>& ranges) const {
    for (size_t t = 0; t < ranges.size(); ++t) {
        ProgramRun run = task(static_cast<long long>(t + 1), ranges[t].first, ranges[t].second, {},
                              static_cast<int>(t % 3) + 1);
        ASSERT_EQ(run.exit_code, 0) << run.err;
    }
}

bool Inversion::job_file_exists(const std::string& name) const {
    return fs::exists(job_ / name);
}

}  // namespace zelkon_ref_test
