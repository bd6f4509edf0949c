#pragma once

#include <string>

#include "platform/owned_fd.h"
#include "platform/ssh_options.h"

namespace zelkon {

// A private folder (mode 0700) of this process for the sockets of its ssh
// master connections: under $XDG_RUNTIME_DIR when that path is short and
// plain, otherwise under /tmp. It is removed, with what it holds, when the
// object goes; end the masters first (end_ssh_masters). While the object
// lives it holds a lock on the folder's file "lock": a folder whose lock is
// free belongs to a controller that was killed.
class SshControlFolder {
  public:
    // Throws ZelkonError when the folder cannot be made.
    SshControlFolder();
    ~SshControlFolder();
    SshControlFolder(const SshControlFolder&) = delete;
    SshControlFolder& operator=(const SshControlFolder&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
    OwnedFd lock_fd_;  // held until the folder is gone
};

// Asks every master connection with a socket in the options' control folder
// to end ("ssh -O exit"), and with it the sessions it carries. Returns how
// many ended. Safe to call again, and from the path that handles SIGTERM.
int end_ssh_masters(const SshOptions& options);

// Ends the masters of the control folders, beside the options' own, that a
// killed controller of this user left (their lock is free), and removes
// those folders: otherwise the masters and the logins they hold would stay
// until ControlPersist runs out. Returns how many masters ended.
int end_abandoned_ssh_masters(const SshOptions& options);

}  // namespace zelkon
