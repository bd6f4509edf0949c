// Whole runs of the real controller, headless, on this computer, nodeA and
// nodeB of a private sshd (each host with its own runtime folder, and under
// Use RPC its own listener), with Use RPC cleared and set, and with faults
// in the tasks, the assembly, the machines, the controller and the job
// folder's disk. A run that ends with exit 0 must leave matrix files
// byte-identical to the whole job computed as one task.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "listener_process.h"
#include "private_sshd.h"
#include "program_run.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The demo has 400 stations.
constexpr int kDemoData = 400;
// Time-outs short enough for a test, given through ZELKON_SSH_COMMAND as a
// user would: the first value ssh is given for an option wins.
constexpr const char* kShortSshTimeOuts =
    " -o ConnectTimeout=2 -o ServerAliveInterval=1 -o ServerAliveCountMax=2";

bool eventually(const std::function<bool()>& condition, std::chrono::seconds limit = 60s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// A running process as /proc shows it.
struct ProcessInfo {
    pid_t pid = 0;
    pid_t parent = 0;
    char state = '?';
    std::string command_line;
};

std::vector<ProcessInfo> all_processes() {
    std::vector<ProcessInfo> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string stat = file_text(entry.path().string() + "/stat");
        std::size_t after_name = stat.rfind(')');
        if (after_name == std::string::npos) {
            continue;  // gone meanwhile
        }
        ProcessInfo process;
        process.pid = std::stoi(name);
        std::istringstream fields(stat.substr(after_name + 1));
        fields >> process.state >> process.parent;
        std::string command_line = file_text(entry.path().string() + "/cmdline");
        for (char& c : command_line) {
            c = c == '\0' ? ' ' : c;
        }
        process.command_line = command_line;
        found.push_back(process);
    }
    return found;
}

// Live processes below `root` in the process tree, not counting it.
std::vector<ProcessInfo> descendants_of(pid_t root, const std::vector<ProcessInfo>& processes) {
    std::set<pid_t> tree = {root};
    std::vector<ProcessInfo> below;
    for (bool grew = true; grew;) {
        grew = false;
        for (const ProcessInfo& process : processes) {
            if (tree.contains(process.parent) && !tree.contains(process.pid)) {
                tree.insert(process.pid);
                below.push_back(process);
                grew = true;
            }
        }
    }
    return below;
}

// The controller, headless, running in the background.
class ControllerRun {
  public:
    // Runs the command in the folder, its output caught in the files.
    ControllerRun(const std::string& folder, const std::string& command, const std::string& out,
                  const std::string& err)
        : out_(out), err_(err) {
        std::string line = "cd " + shell_quoted(folder) + " && exec " + command + " > " +
                           shell_quoted(out) + " 2> " + shell_quoted(err);
        std::vector<char*> argv = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                                   line.data(), nullptr};
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
    }
    ~ControllerRun() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ControllerRun(const ControllerRun&) = delete;
    ControllerRun& operator=(const ControllerRun&) = delete;

    void signal(int number) const {
        if (pid_ > 0) {
            kill(pid_, number);
        }
    }
    // Its exit code (128 + the signal that ended it) and output. A run that
    // is still going after the limit is killed and reported as -1: far
    // longer than any run here takes, it stops a test that would hang.
    ProgramRun wait(std::chrono::seconds limit = 240s) {
        ProgramRun run;
        auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                pid_ = -1;
                run.out = file_text(out_);
                run.err = file_text(err_) + "\n(killed by the test: still running)";
                return run;
            }
            std::this_thread::sleep_for(50ms);
        }
        pid_ = -1;
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.out = file_text(out_);
        run.err = file_text(err_);
        return run;
    }

  private:
    std::string out_;
    std::string err_;
    pid_t pid_ = -1;
};

// One start of a task in the process log: which task on which task server.
struct TaskStart {
    int task = 0;
    std::string server;
};

class DistributedRun : public ::testing::Test {
  protected:
    // The programs every host runs: the build's, with a task program that
    // reads the test's fault switches from a file, since a remote login's
    // environment does not carry the test's variables. And the matrices of
    // the whole job computed as one task.
    static void SetUpTestSuite() {
        suite = new TempFolder;
        fs::create_directory(bin());
        for (const auto& entry : fs::directory_iterator(ZELKON_BIN_DIR)) {
            if (entry.is_regular_file() && entry.path().filename() != "zelkon_cluster_task") {
                fs::create_symlink(entry.path(), bin() + "/" + entry.path().filename().string());
            }
        }
        std::ofstream(bin() + "/zelkon_cluster_task")
            << "#!/bin/sh\nif [ -f " << shell_quoted(faults_file()) << " ]; then set -a; . "
            << shell_quoted(faults_file()) << "; set +a; fi\nexec "
            << shell_quoted(std::string(ZELKON_BIN_DIR) + "/zelkon_cluster_task") << " \"$@\"\n";
        fs::permissions(bin() + "/zelkon_cluster_task", fs::perms::owner_all);
        compute_reference();
    }
    static void TearDownTestSuite() {
        delete suite;
        suite = nullptr;
    }
    static std::string bin() { return suite->file("bin"); }
    static std::string faults_file() { return suite->file("task_faults.env"); }

    static void compute_reference() {
        std::string folder = suite->file("reference");
        fs::create_directories(folder + "/job");
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      folder + "/zelkon.inp");
        std::string programs = std::string(ZELKON_BIN_DIR) + "/";
        std::string data_file = folder + "/job/zelkon_cluster_1.zcd";
        std::string command =
            "cd " + shell_quoted(folder) + " && " + programs +
            "zelkon zelkon.inp CLUSTER=1 && cp " +
            "zelkon_cluster_1.zcd job/ && touch job/Zelkon_job_000001_task_000001.sem && " +
            programs + "zelkon_cluster_task " + shell_quoted(data_file) + " 1 1 " +
            std::to_string(kDemoData) + " && " + programs + "zelkon_cluster_assemble " +
            shell_quoted(data_file) + " 1 here/0 1";
        run_command(*suite, command);
        reference_gz = new std::string(file_text(folder + "/parvex_gz.mtx"));
        reference_gx = new std::string(file_text(folder + "/parvex_gx.mtx"));
    }

    void SetUp() override {
        ASSERT_FALSE(reference_gz->empty()) << "the reference matrix could not be computed";
        fs::remove(faults_file());
        for (const char* host : {"run-here", "run-nodeA", "run-nodeB"}) {
            fs::create_directory(temp.file(host));
            chmod(temp.file(host).c_str(), 0700);
        }
        sshd = std::make_unique<PrivateSshd>(bin(), temp.file("run-nodeA"), temp.file("run-nodeB"));
        ASSERT_TRUE(sshd->started()) << sshd->errors();
        fs::create_directories(inversion());
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      inversion() + "/zelkon.inp");
        // Every machine's disk is this one: NET/HOST leads to "/".
        fs::create_directories(temp.file("net"));
        for (const std::string& host : {this_computer(), std::string("nodeA"), std::string("nodeB"),
                                        std::string("nodeDown")}) {
            fs::create_directory_symlink("/", temp.file("net/" + host));
        }
    }

    void TearDown() override {
        for (pid_t pid : frozen) {
            kill(pid, SIGCONT);
        }
        listeners.clear();
        if (!mounted.empty()) {
            std::system(("umount -l " + shell_quoted(mounted) + " 2>/dev/null").c_str());
        }
    }

    std::string inversion() const { return temp.file(inversion_name); }
    std::string inversion_file(const std::string& name) const { return inversion() + "/" + name; }
    std::string process_log() const {
        return file_text(inversion_file("zelkon_cluster_7_process.log"));
    }
    std::string assembly_log() const {
        return file_text(inversion_file("zelkon_cluster_7_assembly.dat"));
    }

    // The settings of job 7: this computer with two task servers, nodeA and
    // nodeB with three each, and any further machines.
    std::string settings(bool use_rpc, int tasks, const std::vector<std::string>& more = {},
                         std::string work_drive = "") {
        if (work_drive.empty()) {
            work_drive = temp.path();
        }
        std::string servers = this_computer() + "/2\r\nnodeA/3\r\nnodeB/3";
        for (const std::string& machine : more) {
            servers += "\r\n" + machine;
        }
        std::string file = temp.file("job.inp");
        std::ofstream(file, std::ios::binary)
            << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
            << work_drive << "\r\n\r\nWork Folder\r\n"
            << work_folder << "\r\n\r\nLocal Path\r\n"
            << inversion() << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n"
            << tasks << "\r\n\r\nUse RPC\r\n"
            << (use_rpc ? "Yes" : "No") << "\r\n\r\nServerList\r\n"
            << servers << "\r\n";
        return file;
    }

    // The switches every task reads wherever it runs, NAME=VALUE lines.
    void task_faults(const std::string& lines) { std::ofstream(faults_file()) << lines << "\n"; }

    // A listener for this computer, nodeA and nodeB, each in the host's own
    // runtime folder, whose tasks find the test's programs.
    void start_listeners() {
        for (const char* host : {"here", "nodeA", "nodeB"}) {
            listeners[host] = std::make_unique<ListenerProcess>(
                bin(), temp.file(std::string("run-") + host), 4,
                temp.file(std::string("listener-") + host + ".log"),
                std::vector<std::string>{"PATH=" + bin() + ":/usr/bin:/bin"});
        }
    }

    std::unique_ptr<ControllerRun> start_controller(const std::string& settings_file,
                                                    const std::string& environment = "",
                                                    const std::string& ssh_options = "") {
        static int runs = 0;
        runs += 1;
        std::string command =
            "env XDG_CONFIG_HOME=" + shell_quoted(temp.file("config")) +
            " XDG_RUNTIME_DIR=" + shell_quoted(temp.file("run-here")) +
            " ZELKON_NET_ROOT=" + shell_quoted(temp.file("net")) +
            " ZELKON_SSH_COMMAND=" + shell_quoted(sshd->ssh_command() + ssh_options) +
            " PATH=" + shell_quoted(bin()) + ":\"$PATH\" " + environment +
            " zelkon-cluster-controller --headless --settings " + shell_quoted(settings_file) +
            " " + shell_quoted(inversion());
        return std::make_unique<ControllerRun>(temp.path(), command,
                                               temp.file("out" + std::to_string(runs) + ".txt"),
                                               temp.file("err" + std::to_string(runs) + ".txt"));
    }
    ProgramRun run_controller(const std::string& settings_file, const std::string& environment = "",
                              const std::string& ssh_options = "") {
        return start_controller(settings_file, environment, ssh_options)->wait();
    }

    void expect_reference_matrices() const {
        std::string gz = file_text(inversion_file("parvex_gz.mtx"));
        std::string gx = file_text(inversion_file("parvex_gx.mtx"));
        EXPECT_TRUE(gz == *reference_gz)
            << "parvex_gz.mtx: " << gz.size() << " bytes against " << reference_gz->size();
        EXPECT_TRUE(gx == *reference_gx)
            << "parvex_gx.mtx: " << gx.size() << " bytes against " << reference_gx->size();
    }

    // The matrix files hold exactly what the assembly log's last line
    // commits, and that is the start of the whole job's matrices. An
    // assembly started before the run ended may still be appending: the
    // lock that every assembly takes on the inversion folder waits for it.
    void expect_committed_part_of_the_reference() const {
        int folder = open(inversion().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
        ASSERT_EQ(flock(folder, LOCK_EX), 0);
        expect_matrices_as_committed();
        close(folder);
    }
    void expect_matrices_as_committed() const {
        std::vector<std::string> lines = lines_of(assembly_log());
        ASSERT_GE(lines.size(), 2u) << "no task was assembled";
        ASSERT_GT(lines.back().size(), 69u) << lines.back();
        std::istringstream last(lines.back().substr(69));
        std::uintmax_t gz_size = 0;
        std::uintmax_t gx_size = 0;
        double ratio = 0;
        last >> gz_size >> ratio >> gx_size;
        std::string gz = file_text(inversion_file("parvex_gz.mtx"));
        std::string gx = file_text(inversion_file("parvex_gx.mtx"));
        EXPECT_EQ(gz.size(), gz_size) << lines.back();
        EXPECT_EQ(gx.size(), gx_size) << lines.back();
        EXPECT_TRUE(reference_gz->starts_with(gz)) << "parvex_gz.mtx differs from the reference";
        EXPECT_TRUE(reference_gx->starts_with(gx)) << "parvex_gx.mtx differs from the reference";
    }

    // The tasks in the assembly log, in its order.
    std::vector<int> assembled_tasks() const {
        std::vector<int> tasks;
        for (const std::string& line : lines_of(assembly_log())) {
            if (line.size() >= 7 && line.find("TaskID") == std::string::npos) {
                tasks.push_back(std::atoi(line.substr(0, 7).c_str()));
            }
        }
        return tasks;
    }
    void expect_every_task_assembled_once(int tasks) const {
        std::vector<int> expected;
        for (int task = 1; task <= tasks; ++task) {
            expected.push_back(task);
        }
        EXPECT_EQ(assembled_tasks(), expected);
    }

    // The process log's lines without their time of day.
    std::vector<std::string> process_log_events() const {
        std::vector<std::string> events;
        for (const std::string& line : lines_of(process_log())) {
            events.push_back(line.size() > 9 ? line.substr(9) : line);
        }
        return events;
    }
    std::vector<TaskStart> task_starts() const {
        std::vector<TaskStart> starts;
        std::string server;
        for (const std::string& event : process_log_events()) {
            if (event.starts_with("Server available: ")) {
                server = event.substr(18);
            } else if (event.starts_with("Task ID started ")) {
                starts.push_back({std::atoi(event.substr(16).c_str()), server});
            }
        }
        return starts;
    }
    std::vector<std::string> servers_that_started(int task) const {
        std::vector<std::string> servers;
        for (const TaskStart& start : task_starts()) {
            if (start.task == task) {
                servers.push_back(start.server);
            }
        }
        return servers;
    }
    int starts_on(const std::string& server) const {
        int count = 0;
        for (const TaskStart& start : task_starts()) {
            count += start.server == server ? 1 : 0;
        }
        return count;
    }
    bool logged(const std::string& event) const {
        for (const std::string& line : process_log_events()) {
            if (line == event) {
                return true;
            }
        }
        return false;
    }

    // The task hung or crashed on its first server, which got no further
    // task, and completed on another.
    void expect_run_elsewhere_after_its_server_went_out_of_service(int task) const {
        std::vector<std::string> servers = servers_that_started(task);
        ASSERT_EQ(servers.size(), 2u) << process_log();
        EXPECT_NE(servers[0], servers[1]);
        EXPECT_TRUE(logged("Server taken out of service, task " + std::to_string(task) +
                           " gave no result in time: " + servers[0]))
            << process_log();
        EXPECT_EQ(starts_on(servers[0]), 1) << servers[0] << " was given another task";
        EXPECT_TRUE(contains(process_log(), " Job " + std::to_string(task) +
                                                " complete on server " + servers[1] + " "))
            << process_log();
    }

    // The task crashed on its first server without a word; the wrapper said
    // so in its .err file, and the task ran again at once. One failure does
    // not take a server out of service.
    void expect_run_again_after_it_failed(int task) const {
        std::vector<std::string> servers = servers_that_started(task);
        ASSERT_EQ(servers.size(), 2u) << process_log();
        EXPECT_TRUE(logged("Task " + std::to_string(task) + " failed on server " + servers[0] +
                           ": exited with status 70"))
            << process_log();
        EXPECT_FALSE(contains(process_log(), "failed twice in a row: " + servers[0]));
        EXPECT_TRUE(contains(process_log(), " Job " + std::to_string(task) +
                                                " complete on server " + servers[1] + " "))
            << process_log();
    }

    // Waits until the assembly log holds at least one task.
    bool some_task_assembled() const {
        return eventually([this] { return !assembled_tasks().empty(); });
    }

    // Sends the signal to nodeB's sshd and to the logins it serves (the
    // master connection's among them), twice, for what started meanwhile.
    void signal_node_b_sshd(int signal) {
        for (int round = 0; round < 2; ++round) {
            std::vector<pid_t> targets = {sshd->node_b_sshd()};
            for (const ProcessInfo& process :
                 descendants_of(sshd->node_b_sshd(), all_processes())) {
                targets.push_back(process.pid);
            }
            for (pid_t pid : targets) {
                if (pid > 0 && kill(pid, signal) == 0 && signal == SIGSTOP) {
                    frozen.insert(pid);
                }
            }
        }
    }

    // ssh processes of this test's controllers (their control folders are
    // in its runtime folder) and logins the private sshd still serves.
    std::vector<std::string> ssh_processes_left() const {
        std::vector<std::string> left;
        std::vector<ProcessInfo> processes = all_processes();
        for (const ProcessInfo& process : processes) {
            if (process.state != 'Z' && contains(process.command_line, temp.file("run-here"))) {
                left.push_back(std::to_string(process.pid) + " " + process.command_line);
            }
        }
        for (pid_t sshd_pid : {sshd->node_a_sshd(), sshd->node_b_sshd()}) {
            for (const ProcessInfo& process : descendants_of(sshd_pid, processes)) {
                if (process.state != 'Z') {
                    left.push_back(std::to_string(process.pid) + " " + process.command_line);
                }
            }
        }
        return left;
    }

    // A small file system of its own for the job folder: false when this
    // machine does not let the test mount one.
    bool mount_job_disk(const std::string& folder) {
        fs::create_directories(folder);
        std::string command =
            "mount -t tmpfs -o size=64m tmpfs " + shell_quoted(folder) + " 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            return false;
        }
        mounted = folder;
        return true;
    }

    std::string inversion_name = "inv";
    std::string work_folder = "Work";
    static TempFolder* suite;
    static std::string* reference_gz;
    static std::string* reference_gx;
    TempFolder temp;
    std::unique_ptr<PrivateSshd> sshd;
    std::map<std::string, std::unique_ptr<ListenerProcess>> listeners;
    std::set<pid_t> frozen;
    std::string mounted;
};

TempFolder* DistributedRun::suite = nullptr;
std::string* DistributedRun::reference_gz = nullptr;
std::string* DistributedRun::reference_gx = nullptr;

TEST_F(DistributedRun, OverSshThreeMachinesGiveTheMatricesOfOneComputer) {
    int logins_before = sshd->logins();
    ProgramRun run = run_controller(settings(false, 25));
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(25);
    for (const std::string& server :
         {this_computer() + "/1", std::string("nodeA/2"), std::string("nodeB/2")}) {
        EXPECT_GE(starts_on(server), 1) << server << " ran no task";
    }
    EXPECT_EQ(sshd->logins() - logins_before, 2) << "one login per machine";
}

TEST_F(DistributedRun, ThroughListenersThreeMachinesGiveTheMatricesOfOneComputer) {
    start_listeners();
    ProgramRun run = run_controller(settings(true, 25));
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(25);
    for (const char* host : {"here", "nodeA", "nodeB"}) {
        EXPECT_TRUE(contains(listeners[host]->log_text(), "zelkon_cluster_task"))
            << host << "'s listener started no task";
    }
}

// Task 3 goes to nodeA/0 and task 6 to nodeB/0: the first eight tasks go to
// the eight task servers in order. The hung task's server is taken out by
// the hang check; the crashed task leaves an .err file and runs again.
TEST_F(DistributedRun, OverSshAHungTaskACrashedTaskAndAKilledAssemblyAreRunAgain) {
    task_faults("ZELKON_TASK_HANG=3\nZELKON_TASK_CRASH=6");
    ProgramRun run = run_controller(settings(false, 40), "ZELKON_ASSEMBLE_CRASH=12");
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
    EXPECT_EQ(servers_that_started(3).at(0), "nodeA/0");
    EXPECT_EQ(servers_that_started(6).at(0), "nodeB/0");
    expect_run_elsewhere_after_its_server_went_out_of_service(3);
    expect_run_again_after_it_failed(6);
    EXPECT_TRUE(
        contains(process_log(), "Cluster assembly 12 ended without merging it, exit code 71"))
        << process_log();
    EXPECT_TRUE(contains(process_log(), "Restart cluster assembly 12 ")) << process_log();
}

TEST_F(DistributedRun, ThroughListenersAHungTaskACrashedTaskAndAKilledAssemblyAreRunAgain) {
    start_listeners();
    task_faults("ZELKON_TASK_HANG=6\nZELKON_TASK_CRASH=3");
    ProgramRun run = run_controller(settings(true, 40), "ZELKON_ASSEMBLE_CRASH=12:logged");
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
    expect_run_again_after_it_failed(3);
    expect_run_elsewhere_after_its_server_went_out_of_service(6);
    EXPECT_TRUE(
        contains(process_log(), "Cluster assembly 12 ended without merging it, exit code 72"))
        << process_log();
}

// Folder names that a shell would split, quote or expand, for the work
// folder and the inversion folder alike, in both ways of starting tasks.
class OddFolderRun : public DistributedRun, public ::testing::WithParamInterface<bool> {
  protected:
    OddFolderRun() {
        work_folder = "My Work's $HOME \"q\"";
        inversion_name = "Inversion 'x' $y";
    }
};

TEST_P(OddFolderRun, ThreeMachinesGiveTheMatricesOfOneComputer) {
    if (GetParam()) {
        start_listeners();
    }
    ProgramRun run = run_controller(settings(GetParam(), 25));
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(25);
    for (const std::string& server :
         {this_computer() + "/1", std::string("nodeA/2"), std::string("nodeB/2")}) {
        EXPECT_GE(starts_on(server), 1) << server << " ran no task";
    }
}

INSTANTIATE_TEST_SUITE_P(UseRpc, OddFolderRun, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Set" : "Cleared";
                         });

// nodeDown refuses every connection: its pipe does not open at the set-up,
// and the run goes on without it. nodeB's listener dies once nodeB has
// started a task: its further starts fail and its task servers go out of
// service, while the other machines finish the job.
TEST_F(DistributedRun, ThroughListenersAMachineDownAtTheSetUpAndALostListenerLeaveTheOthers) {
    start_listeners();
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    auto controller = start_controller(settings(true, 40, {"nodeDown/1"}));
    ASSERT_TRUE(eventually([this] {
        return contains(listeners["nodeB"]->log_text(), "zelkon_cluster_task");
    })) << "nodeB started no task";
    listeners["nodeB"]->end(SIGKILL);
    ProgramRun run = controller->wait();
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
    EXPECT_TRUE(contains(run.err,
                         "Task servers not opened or failing the connection test: "
                         "nodeDown/0/0\n"))
        << run.err;
    EXPECT_EQ(starts_on("nodeDown/0"), 0);
    for (const char* server : {"nodeB/0", "nodeB/1", "nodeB/2"}) {
        EXPECT_TRUE(logged(std::string("Server failed to start task: ") + server)) << process_log();
    }
}

TEST_F(DistributedRun, OverSshAMachineDownAtTheSetUpEndsItWithSshsReason) {
    ProgramRun run = run_controller(settings(false, 24, {"nodeDown/1"}));
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(contains(run.err, "An error occurred while setting up the cluster run: "))
        << run.err;
    EXPECT_TRUE(contains(run.err, "Connection refused")) << run.err;
    EXPECT_FALSE(fs::exists(inversion_file("parvex_gz.mtx")));
    EXPECT_TRUE(task_starts().empty());
}

// nodeB's sshd stops answering once some tasks are assembled: it and the
// logins it serves, the master connection's among them, are stopped. The
// next start there waits for ssh's time-outs, then fails, and so does each
// further start there; the other machines finish the job.
TEST_F(DistributedRun, OverSshAMachineThatStopsAnsweringCostsNoMoreThanTheSshTimeOuts) {
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    auto controller = start_controller(settings(false, 40), "", kShortSshTimeOuts);
    ASSERT_TRUE(some_task_assembled()) << process_log();
    signal_node_b_sshd(SIGSTOP);
    ProgramRun run = controller->wait();
    signal_node_b_sshd(SIGCONT);
    EXPECT_EQ(run.code, 0) << run.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
    for (const char* server : {"nodeB/0", "nodeB/1", "nodeB/2"}) {
        EXPECT_TRUE(logged(std::string("Server failed to start task: ") + server)) << process_log();
    }
    // With time-outs of one or two seconds, no step of the run may take
    // long: ssh's defaults would have stalled it for 45 s.
    int longest = 0;
    int previous = -1;
    for (const std::string& line : lines_of(process_log())) {
        int hours = 0;
        int minutes = 0;
        int seconds = 0;
        if (std::sscanf(line.c_str(), "%d:%d:%d ", &hours, &minutes, &seconds) != 3) {
            continue;
        }
        int now = hours * 3600 + minutes * 60 + seconds;
        if (previous >= 0) {
            longest = std::max(longest, (now - previous + 86400) % 86400);
        }
        previous = now;
    }
    EXPECT_LT(longest, 30) << process_log();
}

TEST_F(DistributedRun, OverSshARunStoppedByTermIsFinishedByTheNextFromItsMatrix) {
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    std::string job = settings(false, 40);
    auto controller = start_controller(job);
    ASSERT_TRUE(some_task_assembled()) << process_log();
    controller->signal(SIGTERM);
    ProgramRun first = controller->wait();
    EXPECT_EQ(first.code, 1) << first.err;
    EXPECT_TRUE(contains(first.out, "Zelkon Cluster finished at")) << first.out;
    std::size_t assembled_by_the_first = assembled_tasks().size();
    ASSERT_LT(assembled_by_the_first, 40u) << "the run ended before the signal";
    expect_committed_part_of_the_reference();

    task_faults("");
    ProgramRun second = run_controller(job);
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_TRUE(contains(second.err, "Use the existing mtx file? [Yes]")) << second.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
}

// A killed controller cleans nothing up: its ssh masters (and under Use RPC
// the pipes' logins) outlive it. The next run ends them; nothing of either
// run is left once it has finished.
TEST_F(DistributedRun, ThroughListenersAKilledRunIsFinishedByTheNextAndLeavesNoSshBehind) {
    start_listeners();
    task_faults("ZELKON_TASK_MIN_SECONDS=1");
    std::string job = settings(true, 40);
    auto controller = start_controller(job);
    ASSERT_TRUE(some_task_assembled()) << process_log();
    controller->signal(SIGKILL);
    EXPECT_EQ(controller->wait().code, 128 + SIGKILL);
    ASSERT_LT(assembled_tasks().size(), 40u) << "the run ended before the signal";
    EXPECT_FALSE(ssh_processes_left().empty()) << "the killed run left no ssh master";

    task_faults("");
    ProgramRun second = run_controller(job);
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_TRUE(contains(second.err, "Use the existing mtx file? [Yes]")) << second.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
    std::vector<std::string> left;
    EXPECT_TRUE(eventually(
        [&] {
            left = ssh_processes_left();
            return left.empty();
        },
        30s))
        << "left behind: " << left.front();
}

// The job folder's disk fills up once some tasks are assembled: every task
// after that fails, and says why in its .err file. The run ends with that
// reason, the matrix stays at its last committed state, and the next run
// finishes it once there is room again.
TEST_F(DistributedRun, OverSshAFullJobDiskEndsTheRunWithItsReasonAndNoHarmToTheMatrix) {
    std::string disk = temp.file("disk");
    if (!mount_job_disk(disk)) {
        GTEST_SKIP() << "cannot mount a file system here (needs root)";
    }
    task_faults("ZELKON_TASK_MIN_SECONDS=0.5");
    std::string job = settings(false, 40, {}, disk);
    auto controller = start_controller(job);
    ASSERT_TRUE(some_task_assembled()) << process_log();
    std::string filler = disk + "/filler";
    {
        std::ofstream fill(filler, std::ios::binary);
        std::string block(1 << 16, '\0');
        while (fill.write(block.data(), block.size())) {
        }
    }
    ProgramRun first = controller->wait();
    EXPECT_EQ(first.code, 1) << first.err;
    // Either a task's own word, or the controller's check of the folder.
    EXPECT_TRUE(contains(first.err, "No space left on device") ||
                contains(first.err, "the job folder " + disk +
                                        "/Work/Job_000007/ cannot be "
                                        "written"))
        << first.err;
    expect_committed_part_of_the_reference();
    ASSERT_LT(assembled_tasks().size(), 40u) << "the run ended before the disk was full";

    fs::remove(filler);
    task_faults("");
    ProgramRun second = run_controller(job);
    EXPECT_EQ(second.code, 0) << second.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
}

// Read-only once some tasks are assembled: the run ends with an error that
// names the job folder. Root writes where it likes, so the file system
// itself is made read-only.
TEST_F(DistributedRun, ThroughListenersAReadOnlyJobDiskEndsTheRunAndNoHarmToTheMatrix) {
    std::string disk = temp.file("disk");
    if (!mount_job_disk(disk)) {
        GTEST_SKIP() << "cannot mount a file system here (needs root)";
    }
    start_listeners();
    task_faults("ZELKON_TASK_MIN_SECONDS=0.5");
    std::string job = settings(true, 40, {}, disk);
    auto controller = start_controller(job);
    ASSERT_TRUE(some_task_assembled()) << process_log();
    ASSERT_EQ(std::system(("mount -o remount,ro " + shell_quoted(disk)).c_str()), 0);
    ProgramRun first = controller->wait();
    EXPECT_EQ(first.code, 1) << first.err;
    // Whichever write fails first ends the run: the next semaphore's, the
    // assembly's marker, or the controller's check of the folder once every
    // task server has failed.
    std::string job_folder = disk + "/Work/Job_000007/";
    bool named = false;
    for (const std::string& line : lines_of(first.err)) {
        named = named || (line.starts_with("An error was encountered while running the "
                                           "calculation: ") &&
                          contains(line, job_folder));
    }
    EXPECT_TRUE(named) << first.err;
    expect_committed_part_of_the_reference();
    ASSERT_LT(assembled_tasks().size(), 40u) << "the run ended before the disk was read-only";

    ASSERT_EQ(std::system(("mount -o remount,rw " + shell_quoted(disk)).c_str()), 0);
    task_faults("");
    ProgramRun second = run_controller(job);
    EXPECT_EQ(second.code, 0) << second.err;
    expect_reference_matrices();
    expect_every_task_assembled_once(40);
}

}  // namespace
}  // namespace zelkon
