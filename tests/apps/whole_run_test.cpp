// Whole cluster runs of the demo, headless, through the real programs: the
// controller, the reference programs and, with Use RPC set, a real listener.
// Whatever happens on the way, the matrix files must be byte for byte those
// of the same job computed as one task and assembled at once.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "program_run.h"
#include "support/listener_process.h"
#include "tools/inversion_fixture.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

const std::string kBin = ZELKON_BIN_DIR;
const std::string kDemoInput = std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp";
constexpr int kDemoData = 400;

// The lines of a text, without their CR.
std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

int count_lines(const std::string& text, const std::string& line_end) {
    std::vector<std::string> lines = lines_of(text);
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.ends_with(line_end); }));
}

// The data lines of the assembly log, or of the run log that shows them.
std::vector<std::string> data_lines(const std::string& text) {
    static const std::regex data_line(R"(^ *\d+ +\d+ +\d+ +\d+ +\d+\.\d+ .*)");
    std::vector<std::string> found;
    for (const std::string& line : lines_of(text)) {
        if (std::regex_match(line, data_line)) {
            found.push_back(line);
        }
    }
    return found;
}

long long column(const std::string& line, std::size_t from, std::size_t to) {
    return from <= line.size() ? std::atoll(line.substr(from - 1, to - from + 1).c_str()) : -1;
}

// Names the first differing byte rather than printing megabytes.
::testing::AssertionResult same_bytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    std::size_t shorter = std::min(actual.size(), expected.size());
    auto first = std::mismatch(actual.begin(), actual.begin() + static_cast<long>(shorter),
                               expected.begin());
    return ::testing::AssertionFailure()
           << actual.size() << " bytes against " << expected.size()
           << " expected; the first difference is at byte " << (first.first - actual.begin());
}

// The demo computed as one task over all its data and assembled at once.
struct OneTaskRun {
    OneTaskRun() : inversion(file_text(kDemoInput), 7) {
        zelkon_ref_test::ProgramRun task = inversion.task(1, 1, kDemoData);
        EXPECT_EQ(task.exit_code, 0) << task.err;
        zelkon_ref_test::ProgramRun assembly = inversion.assemble(1, 1);
        EXPECT_EQ(assembly.exit_code, 0) << assembly.err;
        gz = inversion.file("parvex_gz.mtx");
        gx = inversion.file("parvex_gx.mtx");
    }
    zelkon_ref_test::Inversion inversion;
    std::string gz, gx;
};

const OneTaskRun& one_task_run() {
    static const OneTaskRun run;
    return run;
}

// A folder with the demo's inversion and the settings of a run on this
// computer; the controller runs headless there with the build's programs
// first on PATH, settings of its own and a pipe folder of its own.
class WholeRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(one_task_run().gz.empty());
        fs::create_directories(inversion());
        fs::copy_file(kDemoInput, inversion() + "/zelkon.inp");
        fs::create_directory(runtime());
        chmod(runtime().c_str(), 0700);
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        // Tasks of a stopped run may still be going; the folder goes after them.
        wait_for_no_process_using(job_folder());
    }

    void write_settings(const std::string& servers, int max_tasks, bool use_rpc) {
        std::ofstream file(temp.file("job.inp"), std::ios::binary);
        file << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
             << temp.path() << "\r\n\r\nWork Folder\r\nWork\r\n\r\nLocal Path\r\n"
             << inversion() << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n"
             << max_tasks << "\r\n\r\nUse RPC\r\n"
             << (use_rpc ? "Yes" : "No") << "\r\n\r\nServerList\r\n"
             << servers << "\r\n";
    }

    // Starts `zelkon-cluster-controller --headless` on the inversion folder
    // with the settings file (or the command line given, program name first),
    // with the fault switches given as NAME=VALUE.
    void start(const std::vector<std::string>& switches = {},
               std::vector<std::string> arguments = {}) {
        std::vector<std::string> environment;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            std::string word = *variable;
            bool replaced = word.starts_with("PATH=") || word.starts_with("XDG_CONFIG_HOME=") ||
                            word.starts_with("XDG_RUNTIME_DIR=") || word.starts_with("ZELKON_");
            if (!replaced) {
                environment.push_back(word);
            }
        }
        environment.push_back(path_variable());
        environment.push_back("XDG_CONFIG_HOME=" + temp.file("config"));
        environment.push_back("XDG_RUNTIME_DIR=" + runtime());
        environment.insert(environment.end(), switches.begin(), switches.end());
        if (arguments.empty()) {
            arguments = {"zelkon-cluster-controller", "--headless", "--settings",
                         temp.file("job.inp"), inversion()};
        }
        arguments[0] = kBin + "/" + arguments[0];
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (std::string& word : arguments) {
            argv.push_back(word.data());
        }
        for (std::string& word : environment) {
            envp.push_back(word.data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, temp.path().c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, temp.file("out.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, temp.file("err.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(failed, 0) << std::strerror(failed);
    }

    // True while the controller runs; once it has ended, its exit code and
    // output are kept.
    bool running() {
        if (pid_ <= 0) {
            return false;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            return true;
        }
        pid_ = -1;
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        out = file_text(temp.file("out.txt"));
        err = file_text(temp.file("err.txt"));
        return false;
    }

    // Waits for the controller to end and gives its exit code. A run still
    // going after five minutes, far beyond what any of these takes, is
    // killed and fails.
    int finish() {
        for (int i = 0; i < 6000 && running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            ADD_FAILURE() << "the controller did not end";
        }
        return code;
    }

    pid_t pid_of_controller() const { return pid_; }

    int run(const std::vector<std::string>& switches = {},
            const std::vector<std::string>& arguments = {}) {
        start(switches, arguments);
        return finish();
    }

    // Waits while processes started for this job (tasks, an assembly) are
    // still going: a task of an earlier run must not write into a later
    // run's job folder.
    static void wait_for_no_process_using(const std::string& folder) {
        for (int i = 0; i < 1200 && process_using(folder); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    static bool process_using(const std::string& folder) {
        DIR* processes = opendir("/proc");
        bool found = false;
        while (dirent* entry = processes != nullptr ? readdir(processes) : nullptr) {
            if (std::isdigit(static_cast<unsigned char>(entry->d_name[0])) != 0) {
                std::string command = file_text("/proc/" + std::string(entry->d_name) + "/cmdline");
                found = found || command.find(folder) != std::string::npos;
            }
        }
        if (processes != nullptr) {
            closedir(processes);
        }
        return found;
    }

    std::string path_variable() const {
        const char* path = std::getenv("PATH");
        return "PATH=" + kBin + ":" + (path != nullptr ? path : "/usr/bin:/bin");
    }
    std::string inversion() const { return temp.file("inv"); }
    std::string runtime() const { return temp.file("run"); }
    std::string job_folder() const { return temp.file("Work/Job_000007/"); }
    std::string in_inversion(const std::string& name) const {
        return file_text(inversion() + "/" + name);
    }
    std::string assembly_log() const { return in_inversion("zelkon_cluster_7_assembly.dat"); }
    std::string process_log() const { return in_inversion("zelkon_cluster_7_process.log"); }
    std::string info() const { return in_inversion("zelkon_cluster_init_000007.info"); }

    // The matrix files are those of the one-task run, and the check reads
    // every row back.
    void expect_the_matrix_of_one_task() {
        EXPECT_TRUE(same_bytes(in_inversion("parvex_gz.mtx"), one_task_run().gz));
        EXPECT_TRUE(same_bytes(in_inversion("parvex_gx.mtx"), one_task_run().gx));
        ProgramRun check =
            run_command(temp, "cd '" + inversion() + "' && '" + kBin +
                                  "/zelkon_matrix_check' parvex_gz.mtx parvex_gx.mtx");
        EXPECT_EQ(check.code, 0) << check.err;
        EXPECT_NE(check.out.find("parvex_gz.mtx: 400 rows of 12288 cells"), std::string::npos)
            << check.out;
        EXPECT_NE(check.out.find("parvex_gx.mtx: 400 rows of 12288 cells"), std::string::npos)
            << check.out;
    }

    // The assembly log holds tasks 1..tasks in order, which cover the data
    // without gap or overlap; its last sizes are those of the files. The run
    // log shows the same lines (of a stopped run, those it saw merged before
    // the stop), and ends the way every run's does.
    void expect_logs_of_assembled_tasks(int tasks, bool stopped = false) {
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
        if (next_datum > kDemoData) {
            EXPECT_EQ(column(lines.back(), 70, 81),
                      static_cast<long long>(one_task_run().gz.size()));
            EXPECT_EQ(column(lines.back(), 95, 106),
                      static_cast<long long>(one_task_run().gx.size()));
        }
        std::vector<std::string> shown = data_lines(out);
        if (stopped) {
            EXPECT_LE(shown.size(), lines.size()) << out;
            shown.resize(std::min(shown.size(), lines.size()));
            EXPECT_TRUE(std::equal(shown.begin(), shown.end(), lines.begin())) << out;
        } else {
            EXPECT_EQ(shown, lines) << out;
        }
        // After the end, where the matrix files are and, for a matrix not yet
        // whole, the command that continues it.
        std::string end_notes = "Matrix file: " + inversion() +
                                "/parvex_gz.mtx\nMatrix file: " + inversion() + "/parvex_gx.mtx\n";
        if (next_datum <= kDemoData) {
            end_notes += "To continue this run: zelkon-cluster-controller --headless --job 7 " +
                         inversion() + "/\n";
        }
        static const std::regex end(
            R"([^]*\n\nZelkon Cluster finished at \d\d-[A-Z][a-z]{2}-\d{4} \d\d:\d\d:\d\d\n)");
        EXPECT_TRUE(out.ends_with(end_notes) &&
                    std::regex_match(out.substr(0, out.size() - end_notes.size()), end))
            << out;
        // The clean-up removed the job folder.
        EXPECT_FALSE(fs::exists(job_folder()));
    }

    // Each of the tasks first..last was started once, and no other.
    void expect_tasks_started(int first, int last) {
        std::string log = process_log();
        for (int t = 1; t <= last; ++t) {
            EXPECT_EQ(count_lines(log, " Task ID started " + std::to_string(t)), t >= first ? 1 : 0)
                << "task " << t;
        }
        std::vector<std::string> lines = lines_of(log);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& line) {
                                    return line.find(" Task ID started ") != std::string::npos;
                                }),
                  last - first + 1);
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(lines.front().ends_with(" Zelkon Cluster started")) << lines.front();
        EXPECT_TRUE(lines.back().ends_with(" Zelkon Cluster ended")) << lines.back();
    }

    TempFolder temp;
    int code = -1;
    std::string out;
    std::string err;

  private:
    pid_t pid_ = -1;
};

// Three task servers of this computer, tasks started without ssh or through
// this computer's listener; batches of at least 16 tasks.
class DemoRun : public WholeRun, public ::testing::WithParamInterface<bool> {};

TEST_P(DemoRun, OnThreeTaskServersGivesTheMatrixOfOneTask) {
    bool use_rpc = GetParam();
    std::optional<ListenerProcess> listener;
    if (use_rpc) {
        listener.emplace(ZELKON_BIN_DIR, runtime(), 3, temp.file("listener.log"),
                         std::vector<std::string>{path_variable()});
    }
    write_settings(this_computer() + "/3", 20, use_rpc);
    ASSERT_EQ(run(), 0) << out << err;
    expect_the_matrix_of_one_task();
    expect_logs_of_assembled_tasks(20);
    expect_tasks_started(1, 20);
    std::string log = process_log();
    std::smatch batch;
    ASSERT_TRUE(std::regex_search(log, batch, std::regex(R"(Start cluster assembly 1 \S+ (\d+))")))
        << log;
    EXPECT_GE(std::stoi(batch[1]), 16);
    EXPECT_EQ(log.find("Restart"), std::string::npos) << log;
    for (int server = 0; server < 3; ++server) {
        EXPECT_NE(
            log.find(" complete on server " + this_computer() + "/" + std::to_string(server) + " "),
            std::string::npos)
            << log;
    }
    for (int t = 1; t <= 20; ++t) {
        EXPECT_EQ(count_lines(log, " Cluster assembly " + std::to_string(t) + " finished"), 1);
    }
    std::string record = info();
    EXPECT_NE(record.find("Use RPC: " + std::string(use_rpc ? "Yes" : "No") + "\r\n"),
              std::string::npos)
        << record;
    EXPECT_NE(record.find("Total Task Servers: 3\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("Kill MTXfile 2: " + inversion() + "/parvex_gx.mtx\r\n"),
              std::string::npos)
        << record;
    EXPECT_TRUE(
        std::regex_search(record, std::regex(R"(\nTotal Time Servers: \d\d:\d\d:\d\d\r\n$)")))
        << record;
    if (use_rpc) {
        EXPECT_NE(record.find("RPC pipe 3 opened"), std::string::npos) << record;
        // Every task went through the listener; the assembly started on this
        // computer directly.
        std::string requests = file_text(temp.file("listener.log"));
        for (int t = 1; t <= 20; ++t) {
            std::regex started("\\$\\(zelkon_cluster_task " + job_folder() +
                               "zelkon_cluster_7\\.zcd " + std::to_string(t) +
                               " \\d+ \\d+ 2>&1 .* -> Started process \\d+\n");
            EXPECT_TRUE(std::regex_search(requests, started)) << "task " << t << "\n" << requests;
        }
        // (The connection test's listing only looks the program up.)
        EXPECT_EQ(requests.find(": zelkon_cluster_assemble "), std::string::npos) << requests;
    }
}

INSTANTIATE_TEST_SUITE_P(UseRpc, DemoRun, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Set" : "Cleared";
                         });

// The size of the first assembly's batch, from its process-log line.
int first_batch_size(const std::string& log) {
    std::smatch batch;
    if (!std::regex_search(log, batch, std::regex(R"(Start cluster assembly 1 \S+ (\d+))"))) {
        ADD_FAILURE() << "no first assembly in\n" << log;
        return 0;
    }
    return std::stoi(batch[1]);
}

// Task 5, in the middle of the first batch, is half appended when the
// assembly dies; the assembly started again from it cuts the files back to
// task 4 and goes on.
TEST_F(WholeRun, AnAssemblyThatCrashesIsStartedAgainFromItsTask) {
    write_settings(this_computer() + "/3", 20, false);
    ASSERT_EQ(run({"ZELKON_ASSEMBLE_CRASH=5"}), 0) << out << err;
    expect_the_matrix_of_one_task();
    expect_logs_of_assembled_tasks(20);
    expect_tasks_started(1, 20);
    std::string log = process_log();
    int batch = first_batch_size(log);
    std::regex restart(
        " Cluster assembly 5 ended without merging it, exit code 71\r\n\\d\\d:\\d\\d:"
        "\\d\\d Restart cluster assembly 5 " +
        this_computer() + "/\\d " + std::to_string(batch - 4) + "\r\n");
    EXPECT_TRUE(std::regex_search(log, restart)) << log;
    EXPECT_EQ(count_lines(log, " ended without merging it, exit code 71"), 1) << log;
    for (int t = 1; t <= 20; ++t) {
        EXPECT_EQ(count_lines(log, " Cluster assembly " + std::to_string(t) + " finished"), 1);
    }
}

// When every start of the assembly dies at task 5, the run gives up after
// three restarts and says why; the files stay at their last commit point.
TEST_F(WholeRun, AnAssemblyThatAlwaysCrashesEndsTheRunWithTheReason) {
    write_settings(this_computer() + "/3", 20, false);
    ASSERT_EQ(run({"ZELKON_ASSEMBLE_CRASH=5", "ZELKON_FAULT_EVERY_ATTEMPT=1"}), 1) << out << err;
    EXPECT_NE(err.find("The assembly of task 5 failed: the assembly ended 4 times without merging "
                       "it\n"),
              std::string::npos)
        << err;
    expect_logs_of_assembled_tasks(4);
    std::string log = process_log();
    EXPECT_EQ(count_lines(log, " Cluster assembly 5 ended without merging it, exit code 71"), 4)
        << log;
    std::regex restart("\\d\\d:\\d\\d:\\d\\d Restart cluster assembly 5 " + this_computer() +
                       "/\\d " + std::to_string(first_batch_size(log) - 4));
    std::vector<std::string> lines = lines_of(log);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [&](const std::string& line) { return std::regex_match(line, restart); }),
        3)
        << log;
    EXPECT_EQ(count_lines(log, " Cluster assembly 5 finished"), 0) << log;
    EXPECT_TRUE(lines_of(log).back().ends_with(" Zelkon Cluster ended")) << log;
    // What the log commits is the one-task matrix's beginning.
    std::string committed = data_lines(assembly_log()).back();
    auto gz_size = static_cast<std::size_t>(column(committed, 70, 81));
    auto gx_size = static_cast<std::size_t>(column(committed, 95, 106));
    EXPECT_TRUE(same_bytes(in_inversion("parvex_gz.mtx").substr(0, gz_size),
                           one_task_run().gz.substr(0, gz_size)));
    EXPECT_TRUE(same_bytes(in_inversion("parvex_gx.mtx").substr(0, gx_size),
                           one_task_run().gx.substr(0, gx_size)));
}

// Tasks of at least a second each on four task servers: the first batch of
// 16 is merged well before the 40th task is done. SIGTERM stops the run
// there; the command it prints starts the same job from the stored settings,
// which keeps the matrix (the headless answer to "Use the existing mtx file?"
// is Yes) and computes only the tasks after its last assembled one; a start
// after that finds the matrix whole.
TEST_F(WholeRun, ARunStoppedPartWayIsFinishedByTheNextStartOfTheJob) {
    write_settings(this_computer() + "/4", 40, false);
    start({"ZELKON_TASK_MIN_SECONDS=1"});
    while (running() && data_lines(assembly_log()).empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(running()) << "the run ended before the signal\n" << out << err;
    ASSERT_EQ(kill(pid_of_controller(), SIGTERM), 0);
    EXPECT_EQ(finish(), 1) << out << err;
    EXPECT_NE(err.find("Run has been terminated."), std::string::npos) << err;
    std::vector<std::string> kept = data_lines(assembly_log());
    ASSERT_FALSE(kept.empty());
    ASSERT_LT(kept.size(), 40u) << "the run had ended when the signal came";
    const int assembled = static_cast<int>(kept.size());
    expect_logs_of_assembled_tasks(assembled, true);
    std::string stopped_log = process_log();
    EXPECT_TRUE(lines_of(stopped_log).back().ends_with(" Zelkon Cluster ended")) << stopped_log;
    wait_for_no_process_using(job_folder());
    std::smatch printed;
    ASSERT_TRUE(std::regex_search(err, printed, std::regex("\nTo continue this run: (.*)\n")))
        << err;
    std::istringstream command(printed[1].str());
    std::vector<std::string> words{std::istream_iterator<std::string>(command), {}};

    ASSERT_EQ(run({}, words), 0) << out << err;
    EXPECT_NE(err.find("Use the existing mtx file? [Yes]\n"), std::string::npos) << err;
    expect_the_matrix_of_one_task();
    expect_logs_of_assembled_tasks(40);
    std::vector<std::string> lines = data_lines(assembly_log());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), lines.begin()))
        << "the stopped run's lines were kept";
    EXPECT_FALSE(fs::exists(inversion() + "/zelkon_cluster_7_assembly.dat.1"));
    expect_tasks_started(assembled + 1, 40);

    EXPECT_EQ(run(), 1) << out << err;
    EXPECT_NE(err.find("Use the existing mtx file? [Yes]\n"), std::string::npos) << err;
    EXPECT_NE(err.find("The mtx file has already been generated correctly"), std::string::npos)
        << err;
    expect_the_matrix_of_one_task();
    EXPECT_EQ(data_lines(assembly_log()), lines);
}

}  // namespace
}  // namespace zelkon
