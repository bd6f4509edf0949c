// Test Cluster Setup of the real controller, headless, for this computer and
// the hosts of a private sshd (nodeA, nodeB and the broken ones of
// tests/support/private_sshd.sh), with Use RPC cleared and set.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "listener_process.h"
#include "private_sshd.h"
#include "program_run.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// A zelkon-listener with the pipe folder of one host, whose shell finds the
// task and assembly programs; ended when it goes.
class Listener : public ListenerProcess {
  public:
    Listener(const std::string& runtime_folder, int max_clients, const std::string& log)
        : ListenerProcess(ZELKON_BIN_DIR, runtime_folder, max_clients, log,
                          {std::string("PATH=") + ZELKON_BIN_DIR + ":/usr/bin:/bin"}) {}
};

class ClusterSetupOverSsh : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        runtime_root = new TempFolder;
        for (const char* host : {"here", "nodeA", "nodeB"}) {
            fs::create_directory(runtime(host));
            chmod(runtime(host).c_str(), 0700);
        }
        sshd = new PrivateSshd(ZELKON_BIN_DIR, runtime("nodeA"), runtime("nodeB"));
    }
    static void TearDownTestSuite() {
        delete sshd;
        delete runtime_root;
    }
    static std::string runtime(const std::string& host) {
        return runtime_root->file("run-" + host);
    }

    void SetUp() override {
        ASSERT_TRUE(sshd->started()) << sshd->errors();
        fs::create_directories(temp.file("inv"));
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      temp.file("inv/zelkon.inp"));
        // Every machine's disk is this one: NET/HOST leads to "/".
        fs::create_directories(temp.file("net"));
        for (const std::string& host : {this_computer(), std::string("nodeA"), std::string("nodeB"),
                                        std::string("nodeDown"), std::string("nodeLocked")}) {
            fs::create_directory_symlink("/", temp.file("net/" + host));
        }
    }

    void write_settings(const std::string& use_rpc, const std::string& servers) {
        std::ofstream file(temp.file("job.inp"), std::ios::binary);
        file << "Nimbal_Controller settings V1.0\r\n\r\nJob ID\r\n7\r\n\r\nWork Drive\r\n"
             << temp.path() << "\r\n\r\nWork Folder\r\nWork\r\n\r\nLocal Path\r\n"
             << temp.file("inv") << "/\r\n\r\nFolder Share Name\r\n\r\n\r\nMax Tasks\r\n10\r\n\r\n"
             << "Use RPC\r\n"
             << use_rpc << "\r\n\r\nServerList\r\n"
             << servers << "\r\n";
    }

    // Test Cluster Setup, headless; says how long it took and how many
    // logins it made.
    ProgramRun test_cluster_setup() {
        int logins_before = sshd->logins();
        auto started = std::chrono::steady_clock::now();
        ProgramRun run = run_command(
            temp, "cd '" + temp.path() + "' && XDG_CONFIG_HOME='" + temp.file("config") +
                      "' XDG_RUNTIME_DIR='" + runtime("here") + "' ZELKON_NET_ROOT='" +
                      temp.file("net") + "' ZELKON_SSH_COMMAND='" + sshd->ssh_command() +
                      "' PATH='" + ZELKON_BIN_DIR + ":'\"$PATH\" " +
                      "zelkon-cluster-controller --headless --test-setup --settings '" +
                      temp.file("job.inp") + "' '" + temp.file("inv") + "'");
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        logins = sshd->logins() - logins_before;
        std::cout << "Test Cluster Setup took " << took.count() << " s with " << logins
                  << " ssh logins" << std::endl;
        return run;
    }
    std::string info() const { return file_text(temp.file("inv/zelkon_cluster_init_000007.info")); }
    std::string job_folder_of(const std::string& host) const {
        return temp.file("net/" + host) + temp.file("Work/Job_000007/");
    }
    // What every correct set-up of this computer, nodeA/4 and nodeB/4 leaves.
    void expect_a_correct_set_up(const ProgramRun& run) {
        EXPECT_EQ(run.code, 0) << run.out << run.err;
        EXPECT_NE(run.err.find("Setup appears to be correct\n"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Task servers not opened"), std::string::npos) << run.err;
        std::string record = info();
        EXPECT_NE(record.find("Total Task Servers: 9"), std::string::npos) << record;
        EXPECT_NE(record.find("Server 1: " + this_computer() +
                              " Work Path: " + temp.file("Work/Job_000007/")),
                  std::string::npos)
            << record;
        EXPECT_NE(record.find("Server 2: nodeA Work Path: " + job_folder_of("nodeA")),
                  std::string::npos)
            << record;
        EXPECT_NE(record.find("Server 3: nodeB Work Path: " + job_folder_of("nodeB")),
                  std::string::npos)
            << record;
        EXPECT_TRUE(fs::exists(temp.file("inv/Zelkon_job_000007.sem")));
        // The test cleans up after itself: the job folder has gone, with the listings.
        EXPECT_TRUE(fs::is_directory(temp.file("Work")));
        EXPECT_FALSE(fs::exists(temp.file("Work/Job_000007")));
        EXPECT_EQ(logins, 2) << "one login per machine";
    }

    static TempFolder* runtime_root;
    static PrivateSshd* sshd;
    TempFolder temp;
    int logins = 0;
};

TempFolder* ClusterSetupOverSsh::runtime_root = nullptr;
PrivateSshd* ClusterSetupOverSsh::sshd = nullptr;

TEST_F(ClusterSetupOverSsh, WithoutRpcThisComputerAndTwoMachinesAreCorrect) {
    write_settings("No", this_computer() + "\r\nnodeA/4\r\nnodeB/4");
    expect_a_correct_set_up(test_cluster_setup());
}

TEST_F(ClusterSetupOverSsh, WithRpcThisComputerAndTwoMachinesAreCorrect) {
    Listener here(runtime("here"), 1, temp.file("here.log"));
    Listener nodeA(runtime("nodeA"), 4, temp.file("nodeA.log"));
    Listener nodeB(runtime("nodeB"), 5, temp.file("nodeB.log"));
    write_settings("Yes", this_computer() + "\r\nnodeA/4\r\nnodeB/4");
    ProgramRun run = test_cluster_setup();
    expect_a_correct_set_up(run);
    EXPECT_NE(info().find("RPC pipe 9 opened"), std::string::npos);
    EXPECT_EQ(info().find("failed"), std::string::npos) << info();
    EXPECT_NE(file_text(temp.file("nodeB.log")).find("dir " + job_folder_of(this_computer())),
              std::string::npos)
        << "nodeB lists the controller's job folder as it reaches it";
}

struct Unreachable {
    const char* host;
    const char* reason;
};

TEST_F(ClusterSetupOverSsh, WithoutRpcAMachineThatCannotBeReachedIsNamedWithSshsReason) {
    for (const Unreachable& c : {Unreachable{"nodeDown", "Connection refused"},
                                 Unreachable{"nodeLocked", "Permission denied (publickey)"}}) {
        SCOPED_TRACE(c.host);
        // Alone: nodeLocked is nodeA's address, whose master connection it would share.
        write_settings("No", this_computer() + "\r\n" + std::string(c.host) + "/2");
        ProgramRun run = test_cluster_setup();
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find("An error occurred while setting up the cluster run: "),
                  std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("at stage 25 while performing action: Set up the server list"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(run.out.ends_with("Server: " + std::string(c.host) + "/0\n") ||
                    run.out.find("\nServer: " + std::string(c.host) + "/0\n") != std::string::npos)
            << run.out;
    }
}

TEST_F(ClusterSetupOverSsh, WithRpcAMachineWithTooFewPipesIsNamedAndTheOthersAreUsed) {
    Listener here(runtime("here"), 1, temp.file("here.log"));
    Listener nodeA(runtime("nodeA"), 4, temp.file("nodeA.log"));
    Listener nodeB(runtime("nodeB"), 2, temp.file("nodeB.log"));
    write_settings("Yes", this_computer() + "\r\nnodeA/4\r\nnodeB/4");
    ProgramRun run = test_cluster_setup();
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Setup appears to be correct, but not all of the requested task "
                           "servers were opened"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Task servers not opened or failing the connection test: nodeB/0/0 "
                           "nodeB/1/0 nodeB/2/0 nodeB/3/0\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(file_text(temp.file("nodeB.log")).find("dir "), std::string::npos)
        << "nodeB was not asked to list anything";
}

}  // namespace
}  // namespace zelkon
