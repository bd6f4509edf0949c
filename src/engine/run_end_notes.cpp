#include "engine/run_end_notes.h"

#include "engine/run_control.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/shell_words.h"

namespace zelkon {

std::vector<std::string> matrix_file_paths(const JobSettings& job, const JobData& data,
                                           const FileSystem& files) {
    std::vector<std::string> names;
    if (data.num_components == 1) {
        names.push_back("parvex.mtx");
    }
    for (std::int32_t c = 1; data.num_components > 1 && c <= data.num_components; ++c) {
        names.push_back("parvex_" + data.component_suffix.at(static_cast<std::size_t>(c)) + ".mtx");
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        if (!job.local_path.empty() && files.file_exists(job.local_path + name)) {
            paths.push_back(job.local_path + name);
        }
    }
    return paths;
}

std::string continue_command(const JobSettings& job) {
    return "zelkon-cluster-controller --headless --job " +
           format_number(number_of(job.job_id), "0") + " " + shell_word(job.local_path);
}

void RunControl::tell_where_the_run_ended(RunOutcome outcome) {
    continue_command_.clear();
    std::vector<std::string> matrix_files = matrix_file_paths(job, data, files);
    for (const std::string& path : matrix_files) {
        host.append_run_log("\rMatrix file: " + path);
    }
    // A stopped run, or one that an error ended with part of the matrix
    // made: its next start with the same job continues that matrix, where
    // a start with the proposed next job would begin afresh.
    bool unfinished =
        outcome == RunOutcome::stopped || (outcome == RunOutcome::error && !matrix_files.empty());
    if (unfinished && !job.local_path.empty()) {
        continue_command_ = zelkon::continue_command(job);
        host.append_run_log("\rTo continue this run: " + continue_command_);
    }
}

}  // namespace zelkon
