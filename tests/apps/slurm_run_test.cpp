// Whole runs of the real controller, headless, inside an allocation of the
// test cluster (one node of 8 CPUs, this computer) with the server list
// "slurm": every task a job step, the matrix files byte-identical to the
// whole job computed as one task, and no step left once the controller has
// exited.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "program_run.h"
#include "slurm_cluster.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kDemoData = 400;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The pid of the controller started below `root`, or 0.
pid_t controller_below(pid_t root) {
    std::set<pid_t> tree = {root};
    for (int pass = 0; pass < 4; ++pass) {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            std::string stat = file_text(entry.path().string() + "/stat");
            std::size_t after_name = stat.rfind(')');
            if (after_name == std::string::npos) {
                continue;
            }
            char state = '?';
            pid_t parent = 0;
            std::istringstream(stat.substr(after_name + 1)) >> state >> parent;
            if (!tree.contains(parent)) {
                continue;
            }
            pid_t pid = std::stoi(name);
            tree.insert(pid);
            if (file_text(entry.path().string() + "/cmdline")
                    .starts_with("zelkon-cluster-controller")) {
                return pid;
            }
        }
    }
    return 0;
}

class SlurmRun : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cluster = new SlurmCluster;
        suite = new TempFolder;
        std::string folder = suite->file("reference");
        fs::create_directories(folder + "/job");
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      folder + "/zelkon.inp");
        std::string bin = std::string(ZELKON_BIN_DIR) + "/";
        std::string data_file = shell_quoted(folder + "/job/zelkon_cluster_1.zcd");
        run_command(*suite, "cd " + shell_quoted(folder) + " && " + bin +
                                "zelkon zelkon.inp CLUSTER=1 && cp zelkon_cluster_1.zcd job/ && "
                                "touch job/Zelkon_job_000001_task_000001.sem && " +
                                bin + "zelkon_cluster_task " + data_file + " 1 1 " +
                                std::to_string(kDemoData) + " && " + bin +
                                "zelkon_cluster_assemble " + data_file + " 1 here/0 1");
        reference_gz = new std::string(file_text(folder + "/parvex_gz.mtx"));
        reference_gx = new std::string(file_text(folder + "/parvex_gx.mtx"));
    }
    static void TearDownTestSuite() {
        delete cluster;
        delete suite;
        delete reference_gz;
        delete reference_gx;
    }

    void SetUp() override {
        if (!cluster->why_not().empty()) {
            GTEST_SKIP() << cluster->why_not();
        }
        ASSERT_FALSE(reference_gz->empty()) << "the reference matrix could not be computed";
        fs::create_directories(inversion());
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      inversion() + "/zelkon.inp");
    }

    std::string inversion() const { return temp.file("inv"); }
    std::string process_log() const {
        return file_text(inversion() + "/zelkon_cluster_7_process.log");
    }

    std::string settings(const std::string& servers, int tasks) const {
        std::string file = temp.file("job.inp");
        std::ofstream(file, std::ios::binary)
            << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
            << temp.path() << "\r\n\r\nWork Folder\r\nWork\r\n\r\nLocal Path\r\n"
            << inversion() << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n"
            << tasks << "\r\n\r\nUse RPC\r\nNo\r\n\r\nServerList\r\n"
            << servers << "\r\n";
        return file;
    }

    // The controller inside an allocation of all the node's CPUs, in the
    // background; the allocation's steps when it has exited go to
    // steps_after. `inside` comes before the controller inside the allocation.
    pid_t start(const std::string& settings_file, const std::string& environment,
                const std::string& inside = "") const {
        std::string controller = inside + " zelkon-cluster-controller --headless --settings " +
                                 shell_quoted(settings_file) + " " + shell_quoted(inversion()) +
                                 "; code=$?; squeue --steps --noheader --jobs=$SLURM_JOB_ID "
                                 "--format=%i > steps_after; exit $code";
        std::string line = "cd " + shell_quoted(temp.path()) + " && exec env " +
                           cluster->environment() +
                           "XDG_CONFIG_HOME=" + shell_quoted(temp.file("config")) +
                           " PATH=" + shell_quoted(ZELKON_BIN_DIR) + ":\"$PATH\" " + environment +
                           " salloc --quiet --nodes=1 --ntasks=8 sh -c " +
                           shell_quoted(controller) + " > out.txt 2> err.txt";
        std::vector<char*> argv = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                                   line.data(), nullptr};
        pid_t pid = 0;
        return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
    }
    ProgramRun wait(pid_t pid) const {
        int status = 0;
        auto end = std::chrono::steady_clock::now() + 300s;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
            }
            std::this_thread::sleep_for(50ms);
        }
        ProgramRun run;
        run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.out = file_text(temp.file("out.txt"));
        run.err = file_text(temp.file("err.txt"));
        return run;
    }
    // Job steps seen while the run goes, until it ends.
    std::set<std::string> steps_while_running(pid_t pid) const {
        std::set<std::string> seen;
        siginfo_t ended{};
        while (waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               ended.si_pid == 0 && !fs::exists(temp.file("steps_after"))) {
            std::istringstream steps(cluster->steps());
            for (std::string step; std::getline(steps, step);) {
                seen.insert(step);
            }
            std::this_thread::sleep_for(100ms);
        }
        return seen;
    }
    std::string steps_after() const { return file_text(temp.file("steps_after")); }

    void expect_reference_matrices() const {
        EXPECT_TRUE(file_text(inversion() + "/parvex_gz.mtx") == *reference_gz);
        EXPECT_TRUE(file_text(inversion() + "/parvex_gx.mtx") == *reference_gx);
    }

    TempFolder temp;
    static SlurmCluster* cluster;
    static TempFolder* suite;
    static std::string* reference_gz;
    static std::string* reference_gx;
};

SlurmCluster* SlurmRun::cluster = nullptr;
TempFolder* SlurmRun::suite = nullptr;
std::string* SlurmRun::reference_gz = nullptr;
std::string* SlurmRun::reference_gx = nullptr;

TEST_F(SlurmRun, EveryTaskIsAStepOfTheAllocationAndNoneIsLeft) {
    pid_t run = start(settings("slurm", 16), "ZELKON_TASK_MIN_SECONDS=1");
    std::set<std::string> steps = steps_while_running(run);
    ProgramRun result = wait(run);
    ASSERT_EQ(result.code, 0) << result.err << process_log();
    expect_reference_matrices();
    // Two steps test the node (true, the listing); sixteen run the tasks.
    EXPECT_GE(steps.size(), 8u) << "steps seen while running";
    for (int task = 0; task < 8; ++task) {
        std::string label = std::string(SlurmCluster::kNode) + "/" + std::to_string(task);
        EXPECT_TRUE(contains(process_log(), "Server available: " + label)) << label;
    }
    EXPECT_EQ(steps_after(), "");
}

// Interrupted part way, the run cancels its steps and says so; the next run,
// on the node and this computer sharing the job folder, finishes the job.
TEST_F(SlurmRun, AnInterruptedRunCancelsItsStepsAndAMixedListFinishesIt) {
    std::string job = settings("slurm", 40);
    pid_t run = start(job, "ZELKON_TASK_MIN_SECONDS=3");
    pid_t controller = 0;
    for (int look = 0; look < 600 && controller == 0; ++look) {
        std::this_thread::sleep_for(100ms);
        bool assembled = fs::exists(inversion() + "/zelkon_cluster_7_assembly.dat");
        controller = assembled ? controller_below(run) : 0;
    }
    ASSERT_NE(controller, 0) << "no task was assembled";
    kill(controller, SIGINT);
    ProgramRun first = wait(run);
    EXPECT_EQ(first.code, 1) << first.err;
    EXPECT_TRUE(contains(first.out, "Slurm job steps of this run that were still running"))
        << first.out;
    EXPECT_EQ(steps_after(), "");

    fs::remove(temp.file("steps_after"));
    ProgramRun second = wait(start(settings("slurm/3\r\n" + this_computer() + "/2", 40), ""));
    EXPECT_EQ(second.code, 0) << second.err << process_log();
    expect_reference_matrices();
    EXPECT_TRUE(contains(process_log(), "Server available: " + this_computer() + "/1"));
    EXPECT_TRUE(contains(process_log(), std::string("Server available: ") + SlurmCluster::kNode));
    EXPECT_EQ(steps_after(), "");
}

// A node the allocation does not hold refuses its step: its task servers go
// out with srun's reason, and the node of the allocation runs the job.
TEST_F(SlurmRun, ARefusedStepTakesItsNodeOutWithSrunsReason) {
    std::string nodes = std::string("SLURM_JOB_NODELIST=") + SlurmCluster::kNode +
                        ",zghost SLURM_TASKS_PER_NODE=4\\(x2\\)";
    ProgramRun result = wait(start(settings("slurm", 8), "", nodes));
    EXPECT_EQ(result.code, 0) << result.err << result.out;
    expect_reference_matrices();
    EXPECT_TRUE(contains(result.out, "zghost: Unable to create step")) << result.out;
    EXPECT_FALSE(contains(process_log(), "Server available: zghost")) << process_log();
}

// Outside an allocation the list is refused before anything is made.
TEST(SlurmList, OutsideAnAllocationTheSlurmLineIsRefused) {
    TempFolder temp;
    fs::create_directories(temp.file("inv"));
    fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                  temp.file("inv/zelkon.inp"));
    std::ofstream(temp.file("job.inp"), std::ios::binary)
        << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
        << temp.path() << "\r\n\r\nWork Folder\r\nWork\r\n\r\nLocal Path\r\n"
        << temp.file("inv") << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n4\r\n\r\n"
        << "Use RPC\r\nNo\r\n\r\nServerList\r\nslurm\r\n";
    ProgramRun run = run_command(
        temp, "env -u SLURM_JOB_ID XDG_CONFIG_HOME=" + shell_quoted(temp.file("config")) + " " +
                  ZELKON_BIN_DIR + "/zelkon-cluster-controller --headless --settings " +
                  shell_quoted(temp.file("job.inp")) + " " + shell_quoted(temp.file("inv")));
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(contains(run.err,
                         "The server list names the Slurm allocation, but this program is not "
                         "running inside one: start it under salloc or sbatch"))
        << run.err;
    EXPECT_FALSE(fs::exists(temp.file("Work")));
}

}  // namespace
}  // namespace zelkon
