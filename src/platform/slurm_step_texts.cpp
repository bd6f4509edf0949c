#include "platform/slurm_step_texts.h"

#include <sstream>

namespace zelkon {
namespace {

constexpr int kMaxCpus = 4096;

}  // namespace

std::vector<std::string> srun_step_arguments(const std::string& node, int cpus,
                                             const std::string& folder,
                                             const std::vector<std::string>& command) {
    std::vector<std::string> arguments = {"srun",
                                          "--verbose",
                                          "--nodes=1",
                                          "--ntasks=1",
                                          "--cpus-per-task=" + std::to_string(cpus),
                                          "--exact",
                                          "--nodelist=" + node};
    if (!folder.empty()) {
        arguments.push_back("--chdir=" + folder);
    }
    // The tasks' own output goes to their files; nothing comes back to srun.
    arguments.push_back("--output=/dev/null");
    arguments.push_back("--error=/dev/null");
    arguments.push_back("--");
    arguments.insert(arguments.end(), command.begin(), command.end());
    return arguments;
}

int cpus_of_command(const std::vector<std::string>& command) {
    const std::string prefix = "OMP_NUM_THREADS=";
    for (const std::string& word : command) {
        if (word.rfind(prefix, 0) != 0) {
            continue;
        }
        std::string digits = word.substr(prefix.size());
        bool plain = !digits.empty() && digits.size() <= 4 &&
                     digits.find_first_not_of("0123456789") == std::string::npos;
        int value = plain ? std::stoi(digits) : 0;
        return value >= 1 && value <= kMaxCpus ? value : 1;
    }
    return 1;
}

std::string launched_step_id(const std::string& messages) {
    const std::string marker = "launching StepId=";
    std::size_t at = messages.find(marker);
    if (at == std::string::npos) {
        return "";
    }
    at += marker.size();
    std::size_t end = messages.find_first_of(" \n", at);
    if (end == std::string::npos) {
        return "";  // the line is still being written
    }
    return messages.substr(at, end - at);
}

std::string srun_failure_reason(const std::string& messages) {
    std::istringstream lines(messages);
    std::string last_error;
    std::string last_line;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) {
            continue;
        }
        last_line = line;
        std::size_t at = line.find("error: ");
        if (at != std::string::npos) {
            last_error = line.substr(at + 7);
        }
    }
    return last_error.empty() ? last_line : last_error;
}

}  // namespace zelkon
