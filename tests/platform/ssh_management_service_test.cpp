// What the ssh management service decides before, or without, a login.
#include "platform/ssh_management_service.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "platform/fake/fake_process_starter.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// The local computer is served without ssh, and a name that ssh would read as
// an option is refused before ssh runs (here an "ssh" that only marks that it ran).
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

}  // namespace
}  // namespace zelkon
