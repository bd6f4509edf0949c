#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace zelkon {

// A program started by a test, with its standard error in a file. It is
// killed when the object goes, if it has not ended by then.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& arguments, const std::string& error_file);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int number);
    // The exit status, or -1 when it has not ended within timeout_ms.
    int wait_for_exit(int timeout_ms);
    // How many file descriptors it holds open now.
    int open_descriptors() const;

  private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

// Polls every 5 ms until the condition holds or timeout_ms have passed.
bool eventually(const std::function<bool()>& condition, int timeout_ms = 5000);

std::string read_text_file(const std::string& path);

}  // namespace zelkon
