// A real zelkon-listener of the build for the integration tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "program_run.h"

namespace zelkon {

// A zelkon-listener with the pipe folder of one host, its standard error in
// `log`; ended when it goes. `environment` adds NAME=VALUE words to what it
// inherits (a PATH on which the commands it starts are found, say).
class Listener {
  public:
    Listener(const std::string& runtime_folder, int max_clients, const std::string& log,
             std::vector<std::string> environment = {}) {
        std::string program = std::string(ZELKON_BIN_DIR) + "/zelkon-listener";
        std::string clients = std::to_string(max_clients);
        environment.push_back("XDG_RUNTIME_DIR=" + runtime_folder);
        std::vector<char*> argv = {const_cast<char*>("/usr/bin/env")};
        for (std::string& word : environment) {
            argv.push_back(word.data());
        }
        for (std::string* word : {&program, &max_clients_option_, &clients}) {
            argv.push_back(word->data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT, 0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        for (int i = 0; i < 500 && !listening(log); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~Listener() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

  private:
    static bool listening(const std::string& log) {
        return file_text(log).find("listening on pipe") != std::string::npos;
    }
    std::string max_clients_option_ = "--max-clients";
    pid_t pid_ = -1;
};

}  // namespace zelkon
