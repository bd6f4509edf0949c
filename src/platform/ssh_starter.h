#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zelkon {

// One machine's starter shell (see starter_protocol.h), run through ssh,
// started by begin() or at its first use. Once it is gone, so is the
// machine: every start fails and lost_reason() says why, in ssh's words.
class SshStarter {
  public:
    // The ssh arguments that run starter_command(); an answer that takes
    // longer than answer_timeout_ms loses the starter.
    SshStarter(std::vector<std::string> ssh_arguments, int answer_timeout_ms);
    ~SshStarter();
    SshStarter(const SshStarter&) = delete;
    SshStarter& operator=(const SshStarter&) = delete;

    // 0 and the process id; the failed start's status (1: the folder could
    // not be entered, or a request its lines cannot carry); 255 when the
    // starter is lost.
    int start(const std::string& command_line, const std::string& folder, int& process_id);
    // Starts ssh and the starter without waiting for either, so that the
    // logins of several machines overlap.
    void begin();
    // Waits for the starter's greeting: true once the machine is reached;
    // false when it is lost, or when a stop signal came (stopped()).
    bool ready();
    bool stopped() const { return stopped_; }
    // Empty while the starter is there.
    const std::string& lost_reason() const { return lost_reason_; }

  private:
    bool launch();
    bool send_all(const std::string& data);
    // False when the starter ended or did not answer in time, or, when
    // asked to, once a stop signal is pending.
    bool next_line(std::string& line, bool until_stop_signal = false);
    void read_errors();
    void lose();
    void end_child();

    std::vector<std::string> arguments_;
    int answer_timeout_ms_;
    pid_t child_ = -1;
    int io_ = -1;
    int errors_ = -1;
    bool greeted_ = false;
    bool stopped_ = false;
    std::string pending_;
    std::string error_text_;
    bool timed_out_ = false;
    int exit_status_ = -1;
    std::string lost_reason_;
};

}  // namespace zelkon
