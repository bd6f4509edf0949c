#include "engine/run_end_notes.h"

#include "controller/Module_zelkon_cluster.h"
#include "engine/run_control.h"

namespace zelkon {
namespace {

// The text as one word of a POSIX shell: as it is when nothing in it is
// special, else in single quotes.
std::string shell_word(const std::string& text) {
    bool plain = !text.empty() && text.find_first_not_of(
                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                      "abcdefghijklmnopqrstuvwxyz"
                                      "0123456789_-+=.,/:@%") == std::string::npos;
    if (plain) {
        return text;
    }
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

std::vector<std::string> matrix_file_paths(const RunState& state, const FileSystem& files) {
    std::vector<std::string> names;
    if (state.num_components == 1) {
        names.push_back("parvex.mtx");
    }
    for (std::int32_t c = 1; state.num_components > 1 && c <= state.num_components; ++c) {
        names.push_back("parvex_" + state.component_suffix.at(static_cast<std::size_t>(c)) +
                        ".mtx");
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        if (!state.local_path.empty() && files.file_exists(state.local_path + name)) {
            paths.push_back(state.local_path + name);
        }
    }
    return paths;
}

std::string continue_command(const RunState& state) {
    return "zelkon-cluster-controller --headless --job " +
           format_number(number_of(state.job_id), "0") + " " + shell_word(state.local_path);
}

void RunControl::tell_where_the_run_ended(RunOutcome outcome) {
    continue_command_.clear();
    std::vector<std::string> matrix_files = matrix_file_paths(state, platform.files);
    for (const std::string& path : matrix_files) {
        append_run_log("\rMatrix file: " + path);
    }
    // A stopped run, or one that an error ended with part of the matrix
    // made: its next start with the same job continues that matrix, where
    // a start with the proposed next job would begin afresh.
    bool unfinished =
        outcome == RunOutcome::stopped || (outcome == RunOutcome::error && !matrix_files.empty());
    if (unfinished && !state.local_path.empty()) {
        continue_command_ = zelkon::continue_command(state);
        append_run_log("\rTo continue this run: " + continue_command_);
    }
}

}  // namespace zelkon
