#pragma once

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include "free_ports.h"
#include "program_run.h"

namespace zelkon {

// A private sshd on loopback (hosts: see private_sshd.sh): a login has
// bin_folder first on its PATH and XDG_RUNTIME_DIR runtime_a, or runtime_b on
// nodeB. Stopped, and its folder removed, when the object goes.
class PrivateSshd {
  public:
    PrivateSshd(const std::string& bin_folder, const std::string& runtime_a,
                const std::string& runtime_b) {
        char pattern[] = "/tmp/zelkon-sshd-XXXXXX";
        folder_ = mkdtemp(pattern) == nullptr ? "" : pattern;
        std::string command = shell_quoted(PRIVATE_SSHD_PATH) + " " + shell_quoted(folder_);
        for (int port : free_ports<3>()) {
            command += " " + std::to_string(port);
        }
        command += " " + shell_quoted(bin_folder) + " " + shell_quoted(runtime_a) + " " +
                   shell_quoted(runtime_b) + " 2> " + shell_quoted(folder_ + "/start.log");
        int status = folder_.empty() ? -1 : std::system(command.c_str());
        started_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    ~PrivateSshd() {
        for (const char* name : {"/sshd.pid", "/sshd_b.pid"}) {
            pid_t pid = static_cast<pid_t>(std::atoi(file_text(folder_ + name).c_str()));
            if (!folder_.empty() && pid > 0) {
                kill(pid, SIGTERM);
                kill(pid, SIGCONT);  // a test may have stopped it
                // sshd removes its pid file as it ends: the folder goes after.
                eventually([&] { return !std::filesystem::exists(folder_ + name); },
                           std::chrono::seconds(5));
            }
        }
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    PrivateSshd(const PrivateSshd&) = delete;
    PrivateSshd& operator=(const PrivateSshd&) = delete;

    bool started() const { return started_; }
    std::string errors() const { return file_text(folder_ + "/start.log"); }
    // The ZELKON_SSH_COMMAND that reaches its hosts.
    std::string ssh_command() const { return "ssh -F " + folder_ + "/ssh_config"; }
    // How many logins it has accepted so far (its start-up check made two).
    int logins() const {
        std::vector<std::string> log = lines_of(file_text(folder_ + "/sshd.log"));
        return static_cast<int>(std::count_if(log.begin(), log.end(), [](const std::string& l) {
            return contains(l, "Accepted publickey");
        }));
    }

  private:
    std::string folder_;
    bool started_ = false;
};

}  // namespace zelkon
