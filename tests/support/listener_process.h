#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zelkon {

// A zelkon-listener serving the pipe folder of one host (its
// XDG_RUNTIME_DIR), its standard error in a log; ended when it goes.
class ListenerProcess {
  public:
    // extra_environment: further NAME=VALUE words, such as the PATH that
    // the host's tasks find their programs on.
    ListenerProcess(const std::string& bin_folder, const std::string& runtime_folder,
                    int max_clients, std::string log,
                    const std::vector<std::string>& extra_environment = {})
        : log_(std::move(log)) {
        std::vector<std::string> words = {"/usr/bin/env", "XDG_RUNTIME_DIR=" + runtime_folder};
        words.insert(words.end(), extra_environment.begin(), extra_environment.end());
        words.push_back(bin_folder + "/zelkon-listener");
        words.push_back("--max-clients");
        words.push_back(std::to_string(max_clients));
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, log_.c_str(), O_WRONLY | O_CREAT, 0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0;
             i < 500 && pid_ > 0 && log_text().find("listening on pipe") == std::string::npos;
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
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
    std::string log_text() const {
        std::stringstream text;
        text << std::ifstream(log_).rdbuf();
        return text.str();
    }

  private:
    std::string log_;
    pid_t pid_ = -1;
};

}  // namespace zelkon
