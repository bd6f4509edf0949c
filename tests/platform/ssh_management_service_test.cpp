// The ssh management service without a login, and the starter shell it runs tasks through.
#include "platform/ssh_management_service.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "overlapping_logins.h"
#include "platform/error.h"
#include "platform/fake/fake_process_starter.h"
#include "platform/starter_protocol.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// This computer needs no ssh; a name ssh reads as an option is refused before ssh runs.
TEST(SshManagementService, SshRunsOnlyForAnotherMachineWithAPlainName) {
    TempFolder temp;
    FakeProcessStarter processes;
    SshOptions ssh;
    ssh.program = {"/bin/sh", "-c", "touch '" + temp.file("ran") + "'; exit 255", "ssh"};
    SshManagementService service(processes, "Control1", ssh);
    for (const char* host : {".", "localhost", "LocalHost", "CONTROL1"}) {
        int process_id = 0;
        EXPECT_EQ(service.connect(host)->Create("task", "/w/", process_id), 0) << host;
        EXPECT_EQ(process_id, processes.started.back().process_id) << host;
    }
    for (const char* host : {"-oProxyCommand=touch /tmp/zelkon-pwned", ""}) {
        EXPECT_THROW(service.connect(host), ZelkonError) << host;
    }
    EXPECT_FALSE(std::filesystem::exists(temp.file("ran")));
    EXPECT_THROW(service.connect("nodeA"), ZelkonError);
    EXPECT_TRUE(std::filesystem::exists(temp.file("ran"))) << "the stand-in for ssh never runs";
}

TEST(SshManagementService, AnSshThatCannotBeRunIsTheReasonTheMachineIsUnavailable) {
    FakeProcessStarter processes;
    SshOptions ssh;
    ssh.program = {"/no/such/ssh"};
    try {
        SshManagementService(processes, "Control1", ssh).connect("nodeA");
        FAIL() << "connected without ssh";
    } catch (const ZelkonError& error) {
        EXPECT_EQ(error.number(), kErrorMachineUnavailable);
        EXPECT_EQ(error.description(), "cannot run /no/such/ssh: No such file or directory");
    }
}

// Machines begun together log in at the same time; connect() then waits for each.
TEST(SshManagementService, MachinesBegunTogetherLogInAtOnce) {
    TempFolder temp;
    FakeProcessStarter processes;
    SshOptions ssh;
    ssh.program = {"/bin/sh", "-c", overlapping_login(temp.path(), "zelkon starter ready\\n"),
                   "ssh"};
    SshManagementService service(processes, "Control1", ssh);
    service.begin_connect("nodeA");
    service.begin_connect("nodeB");
    EXPECT_NO_THROW(service.connect("nodeA"));
    EXPECT_NO_THROW(service.connect("nodeB"));
}

TEST(StarterProtocol, AnAnswerIsAProcessIdOrAFailureStatus) {
    const std::tuple<const char*, int, int> cases[] = {
        {"4242", 0, 4242}, {"E 127", 127, 0}, {"E 0", 1, 0},        {"0", 1, 0},
        {"", 1, 0},        {"42a", 1, 0},     {"1234567890", 1, 0}, {"E x", 1, 0}};
    for (const auto& [line, status, expected_id] : cases) {
        int process_id = 0;
        EXPECT_EQ(read_starter_answer(line, process_id), status) << line;
        EXPECT_EQ(process_id, expected_id) << line;
    }
    std::string request;
    EXPECT_TRUE(starter_request("run it", "/w/", request));
    EXPECT_EQ(request, "/w/\nrun it\n");
    EXPECT_FALSE(starter_request("run\nit", "/w/", request));
    EXPECT_FALSE(starter_request("run it", std::string("/w\0/", 4), request));
}

// Whole runs start remote tasks through the starter; one that ends they cannot show.
// What a login's start-up files print before the greeting is not taken for an answer.
TEST(StarterProtocol, AStarterThatEndsLosesTheMachineWithSshsReason) {
    SshOptions ssh;
    ssh.program = {"/bin/sh", "-c",
                   "echo 'Welcome to nodeA'; echo 1111; echo 'zelkon starter ready'; read f; "
                   "read c; echo 4242; echo 'Connection to nodeA closed.' >&2; exit 255",
                   "ssh"};
    SshProcessClass machine(ssh, "nodeA");
    int process_id = 0;
    EXPECT_EQ(machine.Create("true", "", process_id), 0);
    EXPECT_EQ(process_id, 4242);
    for (int again = 0; again < 2; ++again) {
        EXPECT_EQ(machine.Create("true", "", process_id), 255);
        EXPECT_EQ(machine.lost_connection(), "Connection to nodeA closed.");
    }
}

}  // namespace
}  // namespace zelkon
