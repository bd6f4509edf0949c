#include "platform/starter_protocol.h"

#include <algorithm>
#include <cctype>

#include "platform/unix_pipe_paths.h"

namespace zelkon {
namespace {

bool all_digits(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::string starter_command() {
    // Each start runs in a subshell, so that a folder it enters, or fails to
    // enter, leaves the starter as it was. setsid makes the new session in
    // place, so $! is the command's own id.
    std::string script =
        std::string("echo '") + kStarterGreeting +
        "'; "
        "while IFS= read -r f && IFS= read -r c; do "
        "( if [ -n \"$f\" ]; then cd -- \"$f\" 2>/dev/null || exit 1; fi; "
        "setsid /bin/sh -c \"$c\" </dev/null >/dev/null 2>&1 & echo $! ) || echo \"E $?\"; "
        "done";
    return "sh -c " + shell_quote(script);
}

bool starter_request(const std::string& command_line, const std::string& folder,
                     std::string& request) {
    for (const std::string* part : {&command_line, &folder}) {
        if (part->find_first_of(std::string("\n\0", 2)) != std::string::npos) {
            return false;
        }
    }
    request = folder + "\n" + command_line + "\n";
    return true;
}

int read_starter_answer(const std::string& line, int& process_id) {
    if (all_digits(line) && std::stoi(line) > 0) {
        process_id = std::stoi(line);
        return 0;
    }
    if (line.size() > 2 && line.compare(0, 2, "E ") == 0 && all_digits(line.substr(2))) {
        int status = std::stoi(line.substr(2));
        return status != 0 ? status : 1;
    }
    return 1;
}

}  // namespace zelkon
