#pragma once

#include <string>

namespace zelkon {

// What wait() returns when a stop signal ended the wait.
inline constexpr int kWaitStoppedBySignal = -2;

struct StartResult {
    bool started = false;
    int process_id = 0;
    std::string error;  // why it could not be started
};

// Starts command lines on this computer through "/bin/sh -c", in a folder,
// detached: in a new session, with standard streams on /dev/null, so that the
// process outlives the controller.
class ProcessStarter {
  public:
    virtual ~ProcessStarter() = default;
    // An empty folder means the current directory.
    virtual StartResult start(const std::string& command_line, const std::string& folder) = 0;
    // Blocks until the process has ended; returns its exit status, or -1 when
    // it is unknown (not ours, or already gone). When SIGINT or SIGTERM are
    // held back for this thread and one arrives meanwhile, the process and
    // its group are ended and kWaitStoppedBySignal comes back instead.
    virtual int wait(int process_id) = 0;
    virtual bool is_running(int process_id) = 0;
    // Ends the process and every process of its group (it leads its own
    // session) at once; wait() or is_running() then collect it.
    virtual void end(int process_id) = 0;
};

}  // namespace zelkon
