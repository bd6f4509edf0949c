#pragma once
// Whole runs of the real controller, headless, on the demo: WholeRun adds
// nodeA and nodeB of a private sshd, tasks started over ssh or through a
// listener on each host. A run that ends with exit 0 must leave the matrices
// of the demo computed as one task.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <map>
#include <memory>
#include <regex>

#include "listener_process.h"
#include "private_sshd.h"

namespace zelkon {

namespace fs = std::filesystem;

class WholeRunBench : public ::testing::Test {
  protected:
    // The build's programs, the task program reading fault switches from a
    // file (a login does not carry our environment); the demo as one task.
    static void SetUpTestSuite() {
        suite = new TempFolder;
        fs::create_directory(bin());
        for (const auto& entry : fs::directory_iterator(ZELKON_BIN_DIR)) {
            if (entry.path().filename() != "zelkon_cluster_task") {
                fs::create_symlink(entry.path(), bin() + "/" + entry.path().filename().string());
            }
        }
        std::string faults = shell_quoted(faults_file());
        std::ofstream(bin() + "/zelkon_cluster_task")
            << "#!/bin/sh\nif [ -f " << faults << " ]; then set -a; . " << faults
            << "; set +a; fi\nexec " << shell_quoted(ZELKON_BIN_DIR "/zelkon_cluster_task")
            << " \"$@\"\n";
        fs::permissions(bin() + "/zelkon_cluster_task", fs::perms::owner_all);
        std::string folder = suite->file("reference");
        fs::create_directories(folder + "/job");
        fs::copy_file(kDemoInput, folder + "/zelkon.inp");
        std::string job = shell_quoted(folder + "/job/zelkon_cluster_1.zcd");
        run_command(*suite, "cd " + shell_quoted(folder) + " && export PATH=" + ZELKON_BIN_DIR +
                                ":$PATH && zelkon zelkon.inp CLUSTER=1 && cp zelkon_cluster_1.zcd "
                                "job/ && touch job/Zelkon_job_000001_task_000001.sem && "
                                "zelkon_cluster_task " +
                                job + " 1 1 400 && zelkon_cluster_assemble " + job + " 1 here/0 1");
        reference = new std::pair(file_text(folder + "/parvex_gz.mtx"),
                                  file_text(folder + "/parvex_gx.mtx"));
    }
    static void TearDownTestSuite() {
        delete suite;
        delete reference;
    }
    static constexpr const char* kDemoInput = ZELKON_EXAMPLES_DIR "/demo/zelkon.inp";
    static std::string bin() { return suite->file("bin"); }
    static std::string faults_file() { return suite->file("task_faults.env"); }

    // The inversion folder; every machine's disk is this one's (NET/HOST is "/").
    void prepare() {
        ASSERT_FALSE(reference->first.empty()) << "the one-task matrices could not be computed";
        fs::remove(faults_file());
        fs::create_directories(inversion());
        fs::copy_file(kDemoInput, inversion() + "/zelkon.inp");
        fs::create_directories(temp.file("net"));
        for (const std::string& host : {std::string("nodeA"), std::string("nodeB"),
                                        std::string("nodeDown"), this_computer()}) {
            fs::create_directory_symlink("/", temp.file("net/" + host));
        }
        for (const char* host : {"here", "nodeA", "nodeB"}) {
            fs::create_directory(runtime(host));
            chmod(runtime(host).c_str(), 0700);
        }
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            finish();
        }
        eventually([this] { return !any_process_mentions(job_folder()); });
    }

    // The settings of job 7.
    void settings(int tasks, const std::string& server_list, bool use_rpc = false) {
        std::ofstream(temp.file("job.inp"), std::ios::binary)
            << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
            << temp.path() << "\r\n\r\nWork Folder\r\n"
            << work_folder << "\r\n\r\nLocal Path\r\n"
            << inversion() << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n"
            << tasks << "\r\n\r\nUse RPC\r\n"
            << (use_rpc ? "Yes" : "No") << "\r\n\r\nServerList\r\n"
            << server_list << "\r\n";
    }
    // The switches every task reads wherever it runs, NAME=VALUE lines.
    void task_faults(const std::string& lines) { std::ofstream(faults_file()) << lines << "\n"; }

    // The environment the controller runs in.
    virtual std::string environment() const {
        return "XDG_CONFIG_HOME=" + shell_quoted(temp.file("config")) +
               " XDG_RUNTIME_DIR=" + shell_quoted(runtime("here")) +
               " ZELKON_NET_ROOT=" + shell_quoted(temp.file("net")) +
               " PATH=" + shell_quoted(bin()) + ":\"$PATH\" ";
    }
    // The shell command that runs the controller command line given.
    virtual std::string launch(const std::string& controller) const {
        return "env " + environment() + controller;
    }
    // Starts the controller with further NAME=VALUE words in its environment
    // (arguments by default the settings file and the inversion folder).
    void start(const std::string& switches = "", std::string arguments = "") {
        if (arguments.empty()) {
            arguments = "--settings " + shell_quoted(temp.file("job.inp")) + " " +
                        shell_quoted(inversion());
        }
        std::string line = "cd " + shell_quoted(temp.path()) + " && exec " +
                           launch(switches + " zelkon-cluster-controller --headless " + arguments) +
                           " > " + shell_quoted(output("out")) + " 2> " +
                           shell_quoted(output("err"));
        pid_ = spawn_shell(line);
        ASSERT_GT(pid_, 0);
    }
    // Exit code (128 + the signal that ended it) and output; a run still going
    // after five minutes is killed and fails.
    ProgramRun finish() {
        int status = 0;
        if (!eventually([&] { return waitpid(pid_, &status, WNOHANG) != 0; },
                        std::chrono::minutes(5))) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            ADD_FAILURE() << "the controller did not end";
        }
        pid_ = -1;
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                file_text(output("out")), file_text(output("err"))};
    }
    ProgramRun run(const std::string& switches = "", const std::string& arguments = "") {
        start(switches, arguments);
        return finish();
    }
    // The controller may run below what started it; its arguments name our folder.
    void signal_controller(int number) const {
        pid_t target = pid_;
        for (const ProcessInfo& p : processes()) {
            bool ours = p.command_line.starts_with("zelkon-cluster-controller") &&
                        contains(p.command_line, temp.path());
            target = ours ? p.pid : target;
        }
        kill(target, number);
    }

    std::string runtime(const std::string& host) const { return temp.file("run-" + host); }
    std::string output(const std::string& stream) const { return temp.file(stream + ".txt"); }
    std::string inversion() const { return temp.file(inversion_name); }
    std::string in_inversion(const std::string& name) const {
        return file_text(inversion() + "/" + name);
    }
    std::string process_log() const { return in_inversion("zelkon_cluster_7_process.log"); }
    std::string assembly_log() const { return in_inversion("zelkon_cluster_7_assembly.dat"); }
    std::string info() const { return in_inversion("zelkon_cluster_init_000007.info"); }
    std::string job_folder() const { return temp.path() + "/" + work_folder + "/Job_000007/"; }

    // The data lines of the assembly log (or of the run log that shows them).
    static std::vector<std::string> data_lines(const std::string& text) {
        static const std::regex data_line(R"(^ *\d+ +\d+ +\d+ +\d+ +\d+\.\d+ .*)");
        std::vector<std::string> found = lines_of(text);
        std::erase_if(found, [](const std::string& l) { return !std::regex_match(l, data_line); });
        return found;
    }
    static long long column(const std::string& line, std::size_t from, std::size_t to) {
        return from <= line.size() ? std::atoll(line.substr(from - 1, to - from + 1).c_str()) : -1;
    }
    bool some_task_assembled() const {
        return eventually([this] { return !data_lines(assembly_log()).empty(); },
                          std::chrono::minutes(3));
    }

    // The process log's events without their time of day.
    std::vector<std::string> events() const {
        std::vector<std::string> found = lines_of(process_log());
        for (std::string& line : found) {
            line.erase(0, line.size() > 9 ? 9 : 0);
        }
        return found;
    }
    int count_events(const std::string& event) const {
        auto all = events();
        return static_cast<int>(std::count(all.begin(), all.end(), event));
    }
    // Each start of a task in the process log: the task and its server.
    std::vector<std::pair<int, std::string>> task_starts() const {
        std::vector<std::pair<int, std::string>> starts;
        std::string server;
        for (const std::string& event : events()) {
            if (event.starts_with("Server available: ")) {
                server = event.substr(18);
            } else if (event.starts_with("Task ID started ")) {
                starts.emplace_back(std::atoi(event.substr(16).c_str()), server);
            }
        }
        return starts;
    }
    std::vector<std::string> servers_that_started(int task) const {
        std::vector<std::string> servers;
        for (const auto& [started, server] : task_starts()) {
            if (started == task) {
                servers.push_back(server);
            }
        }
        return servers;
    }

    // Exit 0, the one-task matrices, tasks 1..tasks in the assembly log covering
    // the data without gap or overlap, as the run log showed them; both logs
    // end as every run's do, and the job folder has gone.
    void expect_a_whole_run(const ProgramRun& run, int tasks) const {
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(in_inversion("parvex_gz.mtx") == reference->first);
        EXPECT_TRUE(in_inversion("parvex_gx.mtx") == reference->second);
        std::vector<std::string> lines = data_lines(assembly_log());
        ASSERT_EQ(static_cast<int>(lines.size()), tasks) << assembly_log();
        EXPECT_TRUE(assembly_log().starts_with(" TaskID")) << assembly_log();
        long long next_datum = 1;
        for (int t = 1; t <= tasks; ++t) {
            const std::string& line = lines[static_cast<std::size_t>(t - 1)];
            EXPECT_EQ(column(line, 1, 7), t) << line;
            EXPECT_EQ(column(line, 8, 15), next_datum) << line;
            EXPECT_EQ(column(line, 24, 31), column(line, 16, 23) - next_datum + 1) << line;
            next_datum = column(line, 16, 23) + 1;
        }
        EXPECT_EQ(next_datum, 401) << "the demo's 400 data";
        expect_sizes_committed(lines.back());
        EXPECT_EQ(data_lines(run.out), lines) << run.out;
        std::string notes = "Matrix file: " + inversion() +
                            "/parvex_gz.mtx\nMatrix file: " + inversion() + "/parvex_gx.mtx\n";
        static const std::regex end(
            R"([^]*\n\nZelkon Cluster finished at \d\d-[A-Z][a-z]{2}-\d{4} \d\d:\d\d:\d\d\n)");
        EXPECT_TRUE(run.out.ends_with(notes) &&
                    std::regex_match(run.out.substr(0, run.out.size() - notes.size()), end))
            << run.out;
        std::vector<std::string> all = events();
        EXPECT_TRUE(!all.empty() && all.front().ends_with("Zelkon Cluster started") &&
                    all.back() == "Zelkon Cluster ended")
            << process_log();
        EXPECT_FALSE(fs::exists(job_folder()));
    }
    // The matrix files hold what the line commits: the start of the one-task ones.
    void expect_sizes_committed(const std::string& line) const {
        std::string gz = in_inversion("parvex_gz.mtx");
        std::string gx = in_inversion("parvex_gx.mtx");
        EXPECT_EQ(static_cast<long long>(gz.size()), column(line, 70, 81)) << line;
        EXPECT_EQ(static_cast<long long>(gx.size()), column(line, 95, 106)) << line;
        EXPECT_TRUE(reference->first.starts_with(gz) && reference->second.starts_with(gx));
    }
    // The lock every assembly takes waits for one still appending.
    void expect_the_committed_part_of_the_matrix() const {
        int folder = open(inversion().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(flock(folder, LOCK_EX), 0);
        std::vector<std::string> lines = data_lines(assembly_log());
        ASSERT_FALSE(lines.empty()) << "no task was assembled";
        expect_sizes_committed(lines.back());
        close(folder);
    }

    static inline TempFolder* suite = nullptr;
    static inline std::pair<std::string, std::string>* reference = nullptr;
    // A test may name the folders otherwise in its constructor.
    std::string inversion_name = "inv";
    std::string work_folder = "Work";
    TempFolder temp;

  private:
    pid_t pid_ = -1;
};

// The ways of starting tasks on this computer, nodeA and nodeB.
enum class StartWay { ssh, listener };

inline std::string way_name(const ::testing::TestParamInfo<StartWay>& info) {
    return info.param == StartWay::ssh ? "OverSsh" : "ThroughListeners";
}

class WholeRun : public WholeRunBench, public ::testing::WithParamInterface<StartWay> {
  protected:
    void SetUp() override {
        prepare();
        sshd = std::make_unique<PrivateSshd>(bin(), runtime("nodeA"), runtime("nodeB"));
        ASSERT_TRUE(sshd->started()) << sshd->errors();
        for (const char* host : {"here", "nodeA", "nodeB"}) {
            if (use_rpc()) {
                listeners[host] = std::make_unique<ListenerProcess>(
                    bin(), runtime(host), 4, temp.file(std::string("listener-") + host + ".log"),
                    std::vector<std::string>{"PATH=" + bin() + ":/usr/bin:/bin"});
            }
        }
    }
    std::string environment() const override {
        return WholeRunBench::environment() +
               " ZELKON_SSH_COMMAND=" + shell_quoted(sshd->ssh_command()) + " ";
    }
    bool use_rpc() const { return GetParam() == StartWay::listener; }
    // This computer with two task servers, nodeA and nodeB with three each.
    void settings(int tasks, const std::string& more = "") {
        WholeRunBench::settings(tasks, this_computer() + "/2\r\nnodeA/3\r\nnodeB/3" + more,
                                use_rpc());
    }

    std::unique_ptr<PrivateSshd> sshd;
    std::map<std::string, std::unique_ptr<ListenerProcess>> listeners;
};

}  // namespace zelkon
