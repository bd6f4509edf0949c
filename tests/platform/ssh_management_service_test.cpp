// What the ssh management service decides before, or without, a login.
#include "platform/ssh_management_service.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "platform/fake/fake_process_starter.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// An "ssh" that only leaves a mark that it ran, and fails.
SshOptions marking_ssh(const std::string& mark) {
    SshOptions options;
    options.program = {"/bin/sh", "-c", "touch '" + mark + "'; exit 255", "ssh"};
    return options;
}

// The local computer is served without ssh, and a name that ssh would read as
// an option is refused before ssh runs.
TEST(SshManagementService, SshRunsOnlyForAnotherMachineWithAPlainName) {
    TempFolder temp;
    FakeProcessStarter processes;
    SshManagementService service(processes, "Control1", marking_ssh(temp.file("ran")));
    for (const char* host : {".", "localhost", "LocalHost", "control1", "CONTROL1"}) {
        int process_id = 0;
        EXPECT_EQ(service.connect(host)->Create("task", "/w/", process_id), 0) << host;
        EXPECT_EQ(process_id, processes.started.back().process_id) << host;
    }
    EXPECT_EQ(processes.started.size(), 5u);
    for (const char* host : {"-oProxyCommand=touch /tmp/zelkon-pwned", "-F/etc/passwd", ""}) {
        EXPECT_THROW(service.connect(host), ZelkonError) << host;
    }
    EXPECT_FALSE(std::filesystem::exists(temp.file("ran")));
    EXPECT_THROW(service.connect("nodeA"), ZelkonError);
    EXPECT_TRUE(std::filesystem::exists(temp.file("ran"))) << "the stand-in for ssh never runs";
}

TEST(SshManagementService, AnSshThatCannotBeRunIsTheReasonTheMachineIsUnavailable) {
    FakeProcessStarter processes;
    SshOptions options;
    options.program = {"/no/such/ssh"};
    SshManagementService service(processes, "Control1", options);
    try {
        service.connect("nodeA");
        FAIL() << "connected without ssh";
    } catch (const ZelkonError& error) {
        EXPECT_EQ(error.number(), kErrorMachineUnavailable);
        EXPECT_EQ(error.description(), "cannot run /no/such/ssh: No such file or directory");
    }
}

}  // namespace
}  // namespace zelkon
