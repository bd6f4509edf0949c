#pragma once

#include <string>

#include "platform/captured_run.h"

namespace zelkon {

// The remote command that starts command_line in folder (the login's home
// when empty) through "/bin/sh -c", detached: a session of its own, standard
// streams on /dev/null. It prints the process id, or fails when the folder
// cannot be entered. Folder and command line reach the remote shell quoted,
// so nothing in them runs but the command line itself.
std::string remote_start_command(const std::string& command_line, const std::string& folder);

// The process id on the last non-empty line of the output, if there is one.
bool read_process_id(const std::string& output, int& process_id);

// The last line of the text that holds more than blanks, trimmed.
std::string last_nonblank_line(const std::string& text);

// Why an ssh run failed, in ssh's own words: the last non-empty line it wrote
// on standard error, or its exit status when it said nothing.
std::string ssh_failure_reason(const CapturedRun& run);

}  // namespace zelkon
