#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

#include "free_ports.h"

namespace zelkon {

// A scheduler cluster of one node for the tests, in a temporary folder of its
// own: this computer declared as the node "znode1" with 8 CPUs, its own
// munged, slurmctld and slurmd in the foreground, their state, spool and
// logs in the folder, their own ports. The clients reach it through
// SLURM_CONF=conf(). Stopped, and the folder removed, when the object goes.
class SlurmCluster {
  public:
    static constexpr const char* kNode = "znode1";
    static constexpr int kCpus = 8;

    SlurmCluster() {
        if (geteuid() != 0) {
            why_not_ = "the Slurm daemons of the test cluster run as root";
            return;
        }
        for (const char* program : {"munged", "slurmctld", "slurmd", "srun"}) {
            if (path_of(program).empty()) {
                why_not_ =
                    std::string(program) + " is not installed (scripts/setup.sh installs it)";
                return;
            }
        }
        char pattern[] = "/tmp/zelkon-slurm-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            why_not_ = "cannot make a folder for the test cluster";
            return;
        }
        folder_ = pattern;
        chmod(folder_.c_str(), 0755);
        for (const char* sub : {"/state", "/spool", "/log", "/munge"}) {
            std::filesystem::create_directory(folder_ + sub);
        }
        chmod((folder_ + "/munge").c_str(), 0711);
        write_munge_key();
        write_config();
        start_daemons();
    }
    ~SlurmCluster() {
        if (!pids_.empty()) {
            // A step left running would outlive its slurmd.
            output_of(environment() + "scancel --user=root 2>/dev/null");
        }
        for (auto pid = pids_.rbegin(); pid != pids_.rend(); ++pid) {
            stop(*pid);
        }
        if (!folder_.empty()) {
            std::error_code error;
            std::filesystem::remove_all(folder_, error);
        }
    }
    SlurmCluster(const SlurmCluster&) = delete;
    SlurmCluster& operator=(const SlurmCluster&) = delete;

    // "" when the node is idle and takes jobs; else why the cluster is missing.
    const std::string& why_not() const { return why_not_; }
    const std::string& folder() const { return folder_; }
    std::string conf() const { return folder_ + "/slurm.conf"; }
    // What a shell command needs first to reach this cluster.
    std::string environment() const { return "SLURM_CONF=" + conf() + " "; }
    // The steps of every job, one "job.step" per line.
    std::string steps() const {
        return output_of(environment() + "squeue --steps --noheader --format=%i 2>&1");
    }

    static std::string output_of(const std::string& command) {
        std::string text;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            return text;
        }
        std::array<char, 4096> buffer{};
        std::size_t got = 0;
        while ((got = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            text.append(buffer.data(), got);
        }
        pclose(pipe);
        return text;
    }

  private:
    static std::string path_of(const std::string& program) {
        std::string path = std::string(getenv("PATH") ? getenv("PATH") : "") + ":/usr/sbin:/sbin";
        std::istringstream folders(path);
        for (std::string folder; std::getline(folders, folder, ':');) {
            std::string candidate = folder + "/" + program;
            if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        return "";
    }
    void write_munge_key() {
        std::string key = folder_ + "/munge/munge.key";
        std::random_device random;
        std::ofstream out(key, std::ios::binary);
        for (int i = 0; i < 1024; ++i) {
            out.put(static_cast<char>(random() & 0xff));
        }
        out.close();
        chmod(key.c_str(), 0400);
    }
    void write_config() {
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        std::array<int, 2> ports = free_ports<2>();
        const std::string& f = folder_;
        const std::vector<std::string> lines = {
            "ClusterName=zelkontest",
            "SlurmctldHost=" + std::string(host),
            "SlurmctldPort=" + std::to_string(ports[0]),
            "SlurmdPort=" + std::to_string(ports[1]),
            "AuthType=auth/munge",
            "CredType=cred/munge",
            "AuthInfo=socket=" + f + "/munge/munge.socket",
            "SlurmUser=root",
            "SlurmdUser=root",
            "StateSaveLocation=" + f + "/state",
            "SlurmdSpoolDir=" + f + "/spool",
            "SlurmctldPidFile=" + f + "/slurmctld.pid",
            "SlurmdPidFile=" + f + "/slurmd.pid",
            "SlurmctldLogFile=" + f + "/log/slurmctld.log",
            "SlurmdLogFile=" + f + "/log/slurmd.log",
            "ProctrackType=proctrack/linuxproc",
            "TaskPlugin=task/none",
            "SelectType=select/cons_tres",
            "SelectTypeParameters=CR_CPU",
            "SlurmdParameters=config_overrides",
            "MpiDefault=none",
            "SwitchType=switch/none",
            "JobAcctGatherType=jobacct_gather/none",
            "AccountingStorageType=accounting_storage/none",
            "MailProg=/bin/true",
            "ReturnToService=2",
            "NodeName=" + std::string(kNode) + " NodeHostname=" + host +
                " NodeAddr=127.0.0.1 CPUs=" + std::to_string(kCpus) + " State=UNKNOWN",
            "PartitionName=test Nodes=" + std::string(kNode) +
                " Default=YES MaxTime=INFINITE State=UP",
        };
        std::ofstream conf(this->conf());
        for (const std::string& line : lines) {
            conf << line << "\n";
        }
    }
    void start_daemons() {
        std::string munge = folder_ + "/munge/";
        start({path_of("munged"), "--foreground", "--force", "--socket=" + munge + "munge.socket",
               "--key-file=" + munge + "munge.key", "--log-file=" + folder_ + "/log/munged.log",
               "--pid-file=" + munge + "munged.pid", "--seed-file=" + munge + "seed"},
              "munged.out");
        for (int i = 0; i < 500 && !std::filesystem::exists(munge + "munge.socket"); ++i) {
            usleep(10000);
        }
        start({path_of("slurmctld"), "-D", "-c", "-f", conf()}, "slurmctld.out");
        start({path_of("slurmd"), "-D", "-f", conf(), "-N", kNode}, "slurmd.out");
        std::string state;
        for (int i = 0; i < 600 && state != "idle"; ++i) {
            usleep(100000);
            state = output_of(environment() + "sinfo --noheader --nodes=" + kNode +
                              " --format=%t 2>/dev/null");
            state = state.substr(0, state.find('\n'));
        }
        if (state != "idle") {
            why_not_ = "the test cluster's node did not become idle (" + state + "); see " +
                       folder_ + "/log";
        }
    }
    void start(const std::vector<std::string>& arguments, const std::string& log) {
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        std::string path = folder_ + "/log/" + log;
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) {
            pids_.push_back(pid);
        }
        posix_spawn_file_actions_destroy(&files);
    }
    static void stop(pid_t pid) {
        kill(pid, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                return;
            }
            usleep(10000);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }

    std::string folder_;
    std::string why_not_;
    std::vector<pid_t> pids_;
};

}  // namespace zelkon
