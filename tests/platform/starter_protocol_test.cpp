// The starter shell: its answers read, and the real script run by a stand-in
// for ssh that runs it on this computer.
#include "platform/starter_protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/ssh_management_service.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

TEST(StarterProtocol, AnAnswerIsAProcessIdOrAFailureStatus) {
    struct Case {
        const char* line;
        int status;
        int process_id;
    };
    for (const Case& c : {Case{"4242", 0, 4242}, Case{"E 1", 1, 0}, Case{"E 127", 127, 0},
                          Case{"E 0", 1, 0}, Case{"0", 1, 0}, Case{"", 1, 0}, Case{"42a", 1, 0},
                          Case{"E x", 1, 0}, Case{"1234567890", 1, 0}, Case{" 42", 1, 0}}) {
        int process_id = 0;
        EXPECT_EQ(read_starter_answer(c.line, process_id), c.status) << c.line;
        EXPECT_EQ(process_id, c.process_id) << c.line;
    }
    std::string request;
    EXPECT_TRUE(starter_request("run it", "/w/", request));
    EXPECT_EQ(request, "/w/\nrun it\n");
    EXPECT_FALSE(starter_request("run\nit", "/w/", request));
    EXPECT_FALSE(starter_request("run it", std::string("/w\0/", 4), request));
}

SshOptions stand_in_ssh(const std::string& script) {
    SshOptions options;
    options.program = {"/bin/sh", "-c", script, "ssh"};
    return options;
}

// What a detached process wrote, once it has (10 s at most).
std::string text_of(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        if (!text.str().empty()) {
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

TEST(StarterProtocol, TheStarterStartsEachCommandInItsFolderAndSaysWhenItCannot) {
    TempFolder temp;
    std::string folder = temp.file("it's a $HOME; `date`");
    std::filesystem::create_directory(folder);
    // Drops the options and the host, and runs the remote command here.
    SshProcessClass machine(
        stand_in_ssh("while [ \"$1\" != -- ]; do shift; done; shift 2; exec /bin/sh -c \"$*\""),
        "nodeA");
    for (const char* text : {"first", "second"}) {
        int process_id = 0;
        std::string command = std::string("echo ") + text + " $$ > out_" + text + ".txt";
        ASSERT_EQ(machine.Create(command, folder, process_id), 0);
        EXPECT_EQ(text_of(folder + "/out_" + text + ".txt"),
                  std::string(text) + " " + std::to_string(process_id) + "\n");
    }
    int process_id = 0;
    EXPECT_EQ(machine.Create("true", temp.file("missing"), process_id), 1);
    EXPECT_EQ(machine.lost_connection(), "");
}

TEST(StarterProtocol, AStarterThatEndsLosesTheMachineWithSshsReason) {
    SshProcessClass machine(stand_in_ssh("read f; read c; echo 4242; "
                                         "echo 'Connection to nodeA closed.' >&2; exit 255"),
                            "nodeA");
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
