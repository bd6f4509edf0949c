#pragma once

#include <string>

#include "platform/shell_words.h"
#include "platform/ssh_options.h"

namespace zelkon {

// Where this user's pipes live and how the remote ones are reached.
struct UnixPipeConfig {
    std::string folder;        // holds one socket per pipe name
    SshOptions ssh;            // runs a command on another computer
    std::string dial_command;  // the remote part, before the pipe name

    // $XDG_RUNTIME_DIR/piperpc (or /tmp/piperpc-UID), $ZELKON_SSH_COMMAND
    // (or "ssh") without a master connection, and $PIPERPC_DIAL_COMMAND (or
    // "zelkon-listener --dial").
    static UnixPipeConfig from_environment();
};

// Creates the pipe folder with mode 0700 when missing; refuses one that another
// user owns or others may enter. 0 or a pipe error code.
int prepare_pipe_folder(const std::string& folder);

// The socket path of a pipe name, or a pipe error code when the name cannot be
// one file of the folder (empty, ".", "..", a "/", too long).
int pipe_socket_path(const std::string& folder, const std::string& name, std::string& path);

// The pipe error code nearest to a POSIX errno value.
int pipe_error_from_errno(int error_number);

}  // namespace zelkon
