#pragma once

#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "free_ports.h"

namespace zelkon {

// A private sshd on loopback ports for the integration tests, in a temporary
// folder of its own: private_sshd.sh says which hosts its ssh configuration
// offers. It is stopped, and its folder removed, when the object goes.
class PrivateSshd {
  public:
    // A login has bin_folder first on its PATH and XDG_RUNTIME_DIR set to
    // runtime_folder (this sshd's own folder when empty), or to
    // second_runtime_folder, when given, for a login to nodeB.
    explicit PrivateSshd(const std::string& bin_folder, std::string runtime_folder = "",
                         std::string second_runtime_folder = "") {
        char pattern[] = "/tmp/zelkon-sshd-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            errors_ = "cannot make a folder for the private sshd";
            return;
        }
        folder_ = pattern;
        std::array<int, 3> ports = free_ports<3>();
        std::string command = quoted(PRIVATE_SSHD_PATH) + " " + quoted(folder_);
        for (int port : ports) {
            command += " " + std::to_string(port);
        }
        std::string runtime = runtime_folder.empty() ? folder_ : runtime_folder;
        std::string second_runtime =
            second_runtime_folder.empty() ? runtime : second_runtime_folder;
        command += " " + quoted(bin_folder) + " " + quoted(runtime) + " " + quoted(second_runtime) +
                   " 2> " + quoted(folder_ + "/start.log");
        int status = std::system(command.c_str());
        started_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!started_) {
            errors_ = text_of(folder_ + "/start.log");
        }
    }
    ~PrivateSshd() {
        if (folder_.empty()) {
            return;
        }
        std::vector<std::string> pid_files = {folder_ + "/sshd.pid", folder_ + "/sshd_b.pid"};
        for (const std::string& pid_file : pid_files) {
            pid_t pid = pid_in(pid_file);
            if (pid > 0) {
                // A test may have stopped it.
                kill(pid, SIGTERM);
                kill(pid, SIGCONT);
            }
        }
        // sshd removes its pid file as it ends; removing the folder meanwhile
        // would trip over it.
        for (const std::string& pid_file : pid_files) {
            for (int i = 0; i < 500 && std::filesystem::exists(pid_file); ++i) {
                usleep(10000);
            }
        }
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }
    PrivateSshd(const PrivateSshd&) = delete;
    PrivateSshd& operator=(const PrivateSshd&) = delete;

    bool started() const { return started_; }
    // Why it did not start.
    const std::string& errors() const { return errors_; }
    const std::string& folder() const { return folder_; }
    // The ZELKON_SSH_COMMAND that reaches its hosts.
    std::string ssh_command() const { return "ssh -F " + folder_ + "/ssh_config"; }
    // How many logins it has accepted so far (its start-up check made two).
    int logins() const {
        std::istringstream log(text_of(folder_ + "/sshd.log"));
        int count = 0;
        for (std::string line; std::getline(log, line);) {
            count += line.find("Accepted publickey") != std::string::npos ? 1 : 0;
        }
        return count;
    }

  private:
    static std::string quoted(const std::string& text) {
        std::string result = "'";
        for (char c : text) {
            result += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return result + "'";
    }
    static pid_t pid_in(const std::string& pid_file) {
        return static_cast<pid_t>(std::atoi(text_of(pid_file).c_str()));
    }
    static std::string text_of(const std::string& path) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    std::string folder_;
    bool started_ = false;
    std::string errors_;
};

}  // namespace zelkon
