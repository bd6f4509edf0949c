#pragma once

#include <signal.h>
#include <sys/stat.h>

#include <random>

#include "free_ports.h"
#include "program_run.h"

namespace zelkon {

// A scheduler cluster of one node, this computer as "znode1" with 8 CPUs: its
// own daemons, ports and folder, reached through SLURM_CONF=conf(); stopped
// and removed when the object goes.
class SlurmCluster {
  public:
    static constexpr const char* kNode = "znode1";  // as test_slurm.conf names it

    SlurmCluster() {
        for (const char* program : {"munged", "slurmctld", "slurmd", "srun"}) {
            if (path_of(program).empty()) {
                why_not_ =
                    program + std::string(" is not installed (scripts/setup.sh installs it)");
            }
        }
        if (geteuid() != 0) {
            why_not_ = "the Slurm daemons of the test cluster run as root";
        }
        if (!why_not_.empty()) {
            return;
        }
        chmod(folder_.path().c_str(), 0755);
        for (const char* sub : {"state", "spool", "log", "munge"}) {
            std::filesystem::create_directory(folder_.file(sub));
        }
        chmod(folder_.file("munge").c_str(), 0711);
        std::random_device random;
        std::ofstream key(folder_.file("munge/munge.key"), std::ios::binary);
        for (int i = 0; i < 1024; ++i) {
            key.put(static_cast<char>(random() & 0xff));
        }
        key.close();
        chmod(folder_.file("munge/munge.key").c_str(), 0400);
        write_config();
        start_daemons();
    }
    ~SlurmCluster() {
        if (!pids_.empty()) {
            // A step left running would outlive its slurmd.
            output_of(environment() + "scancel --user=root 2>/dev/null");
        }
        for (auto pid = pids_.rbegin(); pid != pids_.rend(); ++pid) {
            kill(*pid, SIGTERM);
            if (!eventually([&] { return waitpid(*pid, nullptr, WNOHANG) == *pid; },
                            std::chrono::seconds(5))) {
                kill(*pid, SIGKILL);
                waitpid(*pid, nullptr, 0);
            }
        }
    }
    SlurmCluster(const SlurmCluster&) = delete;
    SlurmCluster& operator=(const SlurmCluster&) = delete;

    // "" when the node is idle and takes jobs; else why the cluster is missing.
    const std::string& why_not() const { return why_not_; }
    std::string conf() const { return folder_.file("slurm.conf"); }
    // What a shell command needs first to reach this cluster.
    std::string environment() const { return "SLURM_CONF=" + conf() + " "; }

  private:
    std::string output_of(const std::string& command) const {
        return run_command(folder_, command).out;
    }
    std::string path_of(const std::string& program) const {
        std::string path = output_of("PATH=\"$PATH:/usr/sbin:/sbin\" command -v " + program);
        return path.substr(0, path.find('\n'));
    }
    void write_config() {
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        std::array<int, 2> ports = free_ports<2>();
        std::string text = file_text(SLURM_CONF_TEMPLATE);
        for (const auto& [name, value] :
             {std::pair<std::string, std::string>{"@FOLDER@", folder_.path()},
              {"@HOST@", host},
              {"@CTLD_PORT@", std::to_string(ports[0])},
              {"@SLURMD_PORT@", std::to_string(ports[1])}}) {
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name)) {
                text.replace(at, name.size(), value);
            }
        }
        std::ofstream(conf()) << text;
    }
    void start_daemons() {
        std::string munge = folder_.file("munge/");
        start(path_of("munged") + " --foreground --force --socket=" + munge +
                  "munge.socket --key-file=" + munge +
                  "munge.key --log-file=" + folder_.file("log/munged.log") +
                  " --pid-file=" + munge + "munged.pid --seed-file=" + munge + "seed",
              "munged.out");
        eventually([&] { return std::filesystem::exists(munge + "munge.socket"); },
                   std::chrono::seconds(5));
        start(path_of("slurmctld") + " -D -c -f " + conf(), "slurmctld.out");
        start(path_of("slurmd") + " -D -f " + conf() + " -N " + kNode, "slurmd.out");
        std::string state;
        eventually(
            [&] {
                state = output_of(environment() + "sinfo --noheader --nodes=" + kNode +
                                  " --format=%t 2>/dev/null");
                state = state.substr(0, state.find('\n'));
                return state == "idle";
            },
            std::chrono::seconds(60));
        if (state != "idle") {
            why_not_ = "the test cluster's node did not become idle (" + state + "); see " +
                       folder_.file("log");
        }
    }
    // The daemon's command line, its output in the log file given.
    void start(const std::string& command, const std::string& log) {
        pid_t pid = spawn_shell("exec " + command + " < /dev/null > " + folder_.file("log/" + log) +
                                " 2>&1");
        if (pid > 0) {
            pids_.push_back(pid);
        }
    }

    TempFolder folder_;
    std::string why_not_;
    std::vector<pid_t> pids_;
};

}  // namespace zelkon
