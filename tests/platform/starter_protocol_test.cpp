// The starter shell: its answers read, and the real script run by a stand-in
// for ssh that runs it on this computer.
#include "platform/starter_protocol.h"

#include <gtest/gtest.h>

#include "platform/ssh_management_service.h"

namespace zelkon {
namespace {

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

// Whole runs over ssh start every remote task through the starter, in folders
// with awkward names; a starter that ends is what they cannot show.
TEST(StarterProtocol, AStarterThatEndsLosesTheMachineWithSshsReason) {
    SshOptions ssh;
    ssh.program = {"/bin/sh", "-c",
                   "read f; read c; echo 4242; echo 'Connection to nodeA closed.' >&2; exit 255",
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
