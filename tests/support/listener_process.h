#pragma once

#include <signal.h>

#include "program_run.h"

namespace zelkon {

// A zelkon-listener serving the pipe folder of one host (its
// XDG_RUNTIME_DIR), its standard error in a log; ended when it goes.
class ListenerProcess {
  public:
    // extra_environment: further NAME=VALUE words, such as the tasks' PATH.
    ListenerProcess(const std::string& bin_folder, const std::string& runtime_folder,
                    int max_clients, std::string log,
                    const std::vector<std::string>& extra_environment = {})
        : log_(std::move(log)) {
        std::string line = "exec env XDG_RUNTIME_DIR=" + shell_quoted(runtime_folder);
        for (const std::string& word : extra_environment) {
            line += " " + shell_quoted(word);
        }
        pid_ = spawn_shell(line + " " + shell_quoted(bin_folder + "/zelkon-listener") +
                           " --max-clients " + std::to_string(max_clients) +
                           " < /dev/null > /dev/null 2>> " + shell_quoted(log_));
        eventually([this] { return pid_ <= 0 || contains(log_text(), "listening on pipe"); },
                   std::chrono::seconds(5));
    }
    ~ListenerProcess() { end(SIGTERM); }
    ListenerProcess(const ListenerProcess&) = delete;
    ListenerProcess& operator=(const ListenerProcess&) = delete;

    // Sends the signal and waits for the listener to end: its exit code.
    int end(int signal) {
        int status = -1;
        if (pid_ > 0) {
            kill(pid_, signal);
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    pid_t pid() const { return pid_; }
    std::string log_text() const { return file_text(log_); }

  private:
    std::string log_;
    pid_t pid_ = -1;
};

}  // namespace zelkon
