#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/owned_fd.h"
#include "platform/pipe_transport.h"
#include "platform/ssh_options.h"

namespace zelkon {

// How long to wait for a free instance: the pipe's default wait stands for 0,
// and a negative wait has no limit.
inline constexpr int kDefaultPipeWaitMs = 250;

// Opens the local socket at `path`, retrying while the listener says "BUSY"
// until wait_ms have passed (kPipeTimeout). A missing pipe fails at once.
std::unique_ptr<PipeConnection> open_unix_socket(const std::string& path, int wait_ms, int& error);

// A remote pipe's ssh, started before the pipe is opened so that the logins
// of several pipes overlap. Dropped unused, it ends that ssh.
struct RemoteDial {
    RemoteDial() = default;
    ~RemoteDial();
    RemoteDial(const RemoteDial&) = delete;
    RemoteDial& operator=(const RemoteDial&) = delete;

    std::string host;
    std::string name;
    OwnedFd stream;    // the dial's standard input and output
    OwnedFd messages;  // ssh's standard error
    pid_t child = 0;
};

// Starts `ssh HOST dial_command NAME` without waiting for it; null when it
// cannot be started (the opening then tries again and says why).
std::unique_ptr<RemoteDial> begin_remote_dial(const SshOptions& ssh,
                                              const std::string& dial_command,
                                              const std::string& host, const std::string& name);

// Opens a pipe on another computer: runs `ssh HOST dial_command NAME` (or
// takes `begun`, that command already started) and speaks length-prefixed
// frames with it on its standard input and output. When it fails, `reason`
// is the last line ssh (or the dial) wrote; a stop signal held back for this
// thread ends the wait with kPipeStoppedBySignal.
std::unique_ptr<PipeConnection> open_remote_pipe(const SshOptions& ssh,
                                                 const std::string& dial_command,
                                                 const std::string& host, const std::string& name,
                                                 int wait_ms, int& error, std::string& reason,
                                                 std::unique_ptr<RemoteDial> begun = nullptr);

}  // namespace zelkon
