// The ssh management service against a private sshd on loopback ports, where
// nodeA and nodeB lead (see tests/support/private_sshd.sh).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/dial_failure.h"
#include "platform/error.h"
#include "platform/fake/fake_process_starter.h"
#include "platform/ssh_control_folder.h"
#include "platform/ssh_management_service.h"
#include "platform/unix_pipe_client.h"
#include "private_sshd.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

bool eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

std::string text_of(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// Processes whose command line mentions the text (an ssh of this test's
// control folder, as a master names its socket in its own).
int processes_mentioning(const std::string& text) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string command_line = text_of(entry.path().string() + "/cmdline");
        count += command_line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

class SshLogin : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { sshd = new PrivateSshd(ZELKON_BIN_FOLDER); }
    static void TearDownTestSuite() {
        delete sshd;
        sshd = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(sshd->started()) << "the private sshd could not be started: " << sshd->errors();
        options = SshOptions::from_command(sshd->ssh_command(), control.path());
        service = std::make_unique<SshManagementService>(processes, "Control1", options);
    }

    // The description of the error that connecting to host raises.
    std::string connect_error(const std::string& host) {
        try {
            service->connect(host);
        } catch (const ZelkonError& error) {
            EXPECT_EQ(error.number(), kErrorMachineUnavailable);
            return error.description();
        }
        return "(connected)";
    }

    static PrivateSshd* sshd;
    SshControlFolder control;
    SshOptions options;
    FakeProcessStarter processes;
    std::unique_ptr<SshManagementService> service;
};

PrivateSshd* SshLogin::sshd = nullptr;

TEST_F(SshLogin, CreateRunsExactlyTheCommandInAnAwkwardFolderAndReturnsItsId) {
    TempFolder temp;
    std::string folder = temp.file("it's a $HOME; $(touch escaped) `touch escaped`");
    std::filesystem::create_directory(folder);
    auto node = service->connect("nodeA");
    int process_id = 0;
    ASSERT_EQ(
        node->Create("echo \"it's $((1+2))\" > out.txt; echo $$ > pid.txt", folder, process_id), 0);
    ASSERT_TRUE(eventually([&] { return !text_of(folder + "/pid.txt").empty(); }));
    EXPECT_EQ(std::stoi(text_of(folder + "/pid.txt")), process_id);
    EXPECT_EQ(text_of(folder + "/out.txt"), "it's 3\n");
    // The login starts in the home folder of this same user.
    EXPECT_FALSE(std::filesystem::exists(std::string(std::getenv("HOME")) + "/escaped"));
}

TEST_F(SshLogin, AFolderThatDoesNotExistFailsTheCreate) {
    int process_id = 0;
    EXPECT_NE(service->connect("nodeA")->Create("true", "/no/such/folder", process_id), 0);
}

TEST_F(SshLogin, ManyCreatesOnTwoMachinesCostOneLoginEach) {
    int before = sshd->logins();
    auto a = service->connect("nodeA");
    auto b = service->connect("nodeB");
    for (int i = 0; i < 4; ++i) {
        int process_id = 0;
        EXPECT_EQ(a->Create("true", "", process_id), 0);
        EXPECT_EQ(b->Create("true", "", process_id), 0);
        service->connect(i % 2 == 0 ? "nodeA" : "nodeB");
    }
    EXPECT_EQ(sshd->logins() - before, 2);
}

// A remote pipe's dial, with a stand-in that greets and waits, goes through
// the master that the management service opened.
TEST_F(SshLogin, ARemotePipeSharesTheMachinesMasterConnection) {
    int before = sshd->logins();
    service->connect("nodeA");
    int error = -1;
    std::string reason;
    auto pipe =
        open_remote_pipe(options, "printf '\\005\\000\\000\\000READY'; cat >/dev/null; :", "nodeA",
                         "Zelkon_Test", 5000, error, reason);
    EXPECT_EQ(error, 0);
    EXPECT_NE(pipe, nullptr);
    EXPECT_EQ(sshd->logins() - before, 1);
}

// The pipe dial passes ssh's reason up too, as one that holds for the machine.
TEST_F(SshLogin, AnUnreachableMachineGivesSshsOwnReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"no-such-node.invalid", "Could not resolve hostname"},
        {"nodeDown", "Connection refused"},
        {"nodeLocked", "Permission denied"},
    };
    for (const auto& [host, reason] : cases) {
        EXPECT_NE(connect_error(host).find(reason), std::string::npos)
            << host << ": " << connect_error(host);
        int error = 0;
        std::string said;
        EXPECT_EQ(open_remote_pipe(options, "true", host, "Zelkon_Test", 5000, error, said),
                  nullptr);
        EXPECT_NE(said.find(reason), std::string::npos) << host << ": " << said;
        EXPECT_TRUE(holds_for_whole_machine(said)) << said;
    }
}

TEST_F(SshLogin, NoSshOfOursOutlivesTheService) {
    service->connect("nodeA");
    service->connect("nodeB");
    ASSERT_GT(processes_mentioning(control.path()), 0) << "no master connection to end";
    service.reset();
    EXPECT_TRUE(eventually([&] { return processes_mentioning(control.path()) == 0; }));
    // No master's socket is left, only the folder's own lock.
    for (const auto& entry : std::filesystem::directory_iterator(control.path())) {
        EXPECT_EQ(entry.path().filename(), "lock");
    }
}

}  // namespace
}  // namespace zelkon
