#include "platform/ssh_texts.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/unix_pipe_paths.h"

namespace zelkon {
namespace {

std::string trimmed(const std::string& text) {
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), blank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

}  // namespace

std::string last_nonblank_line(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::string last;
    while (std::getline(lines, line)) {
        if (!trimmed(line).empty()) {
            last = trimmed(line);
        }
    }
    return last;
}

std::string remote_start_command(const std::string& command_line, const std::string& folder) {
    std::string script;
    if (!folder.empty()) {
        script = "cd -- " + shell_quote(folder) + " || exit 1; ";
    }
    // A background job of a non-interactive shell leads no process group, so
    // setsid makes the new session in place and $! is the command's own id.
    script +=
        "setsid /bin/sh -c " + shell_quote(command_line) + " </dev/null >/dev/null 2>&1 & echo $!";
    // Whatever the login shell is, sh runs the script.
    return "sh -c " + shell_quote(script);
}

bool read_process_id(const std::string& output, int& process_id) {
    std::string line = last_nonblank_line(output);
    if (line.empty() || line.size() > 9 ||
        !std::all_of(line.begin(), line.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    process_id = std::stoi(line);
    return process_id > 0;
}

std::string ssh_failure_reason(const CapturedRun& run) {
    std::string reason = last_nonblank_line(run.errors);
    if (!reason.empty()) {
        return reason;
    }
    return "ssh ended with exit status " + std::to_string(run.exit_status);
}

}  // namespace zelkon
