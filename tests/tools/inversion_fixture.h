// A small inversion folder and job folder in a temporary place, and the three commands
// run on them as the controller runs them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

namespace zelkon_ref_test {

// 30 stations over a 6 x 5 x 4 mesh, two components.
extern const char* const kSmallInput;
// The same with one component only.
extern const char* const kOneComponentInput;

class Inversion {
  public:
    explicit Inversion(const std::string& input = kSmallInput, long long job_id = 12);

    const std::filesystem::path& folder() const { return inversion_; }
    const std::filesystem::path& job_folder() const { return job_; }
    // The job folder joined directly to the cluster data file name, as the commands get it.
    std::string job_data_file() const;
    std::string task_name(long long task) const;

    // Creates the task's semaphore file, as dispatch does, then runs the task.
    ProgramRun task(long long task, long long first, long long last,
                    const std::vector<std::string>& env = {}, int threads = 0) const;
    ProgramRun assemble(long long first_task, long long count,
                        const std::vector<std::string>& env = {}) const;
    // Runs tasks over the given ranges (each {first, last}) and fails the test if one fails.
    void run_tasks(const std::vector<std::pair<long long, long long>>& ranges) const;

    std::string file(const std::string& name) const { return read_file(inversion_ / name); }
    bool job_file_exists(const std::string& name) const;

  private:
    TempFolder root_;
    std::filesystem::path inversion_, job_;
    long long job_id_;
    std::string data_file_;
};

}  // namespace zelkon_ref_test
