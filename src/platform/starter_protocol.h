#pragma once

#include <string>

namespace zelkon {

// The starter: one remote shell per machine, kept open on the machine's ssh
// master connection, that starts command lines on request, so that a start
// costs a round trip on an open channel rather than an ssh client and a login
// shell of its own.
//
// Once running, the starter says so with one line, the greeting: whatever
// the login's start-up files print comes before it and is not an answer.
// A request is two lines, the folder (empty: the login's home) and the
// command line. The answer is one line: the process id of the command,
// started detached through "/bin/sh -c" as remote_start_command starts it, or
// "E" and the status of the start that failed (1: the folder could not be
// entered).

// The remote command that runs the starter: plain sh, nothing to install.
std::string starter_command();

// The starter's first line of its own.
constexpr const char* kStarterGreeting = "zelkon starter ready";

// The request for one start; false when folder or command line hold a line
// break or a NUL, which the request's lines cannot carry.
bool starter_request(const std::string& command_line, const std::string& folder,
                     std::string& request);

// The answer to one start: 0 and the process id, the start's failure status,
// or 1 for an answer that is neither (as for a start that gave no id).
int read_starter_answer(const std::string& line, int& process_id);

}  // namespace zelkon
