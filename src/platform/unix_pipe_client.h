#pragma once

#include <memory>
#include <string>

#include "platform/pipe_transport.h"
#include "platform/ssh_options.h"

namespace zelkon {

// How long to wait for a free instance: the pipe's default wait stands for 0,
// and a negative wait has no limit.
inline constexpr int kDefaultPipeWaitMs = 250;

// Opens the local socket at `path`, retrying while the listener says "BUSY"
// until wait_ms have passed (kPipeTimeout). A missing pipe fails at once.
std::unique_ptr<PipeConnection> open_unix_socket(const std::string& path, int wait_ms, int& error);

// Opens a pipe on another computer: runs `ssh HOST dial_command NAME` and
// speaks length-prefixed frames with it on its standard input and output.
// When it fails, `reason` is the last line ssh (or the dial) wrote; a stop
// signal held back for this thread ends the wait with kPipeStoppedBySignal.
std::unique_ptr<PipeConnection> open_remote_pipe(const SshOptions& ssh,
                                                 const std::string& dial_command,
                                                 const std::string& host, const std::string& name,
                                                 int wait_ms, int& error, std::string& reason);

}  // namespace zelkon
