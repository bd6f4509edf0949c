#pragma once

#include <string>
#include <vector>

namespace zelkon {

struct CapturedRun {
    bool started = false;  // false: the program could not be run, errors says why
    int exit_status = -1;  // 128 + the signal's number when a signal ended it
    std::string output;    // what it wrote on standard output
    std::string errors;    // what it wrote on standard error
};

// Runs a program (looked up on PATH) with these arguments, without a shell,
// its standard input on /dev/null, and waits for it, collecting what it
// writes. The program is sent SIGTERM should this process end first.
CapturedRun run_captured(const std::vector<std::string>& arguments);

}  // namespace zelkon
