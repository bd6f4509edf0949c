// Remote pipes through a real ssh login: a private sshd on loopback ports,
// where the hosts nodeA and nodeB lead.
#include <filesystem>

#include "listener_fixture.h"
#include "private_sshd.h"

namespace zelkon {
namespace {

class DialThroughSsh : public ListenerProgram {
  protected:
    void SetUp() override {
        ListenerProgram::SetUp();
        std::string bin_folder = std::filesystem::path(ZELKON_LISTENER_PATH).parent_path();
        sshd = std::make_unique<PrivateSshd>(bin_folder, folder);
        ASSERT_TRUE(sshd->started()) << "the private sshd could not be started: " << sshd->errors();
        reach_remote_pipes_through(sshd->ssh_command());
    }
    void TearDown() override {
        sshd.reset();
        ListenerProgram::TearDown();
    }

    std::unique_ptr<PrivateSshd> sshd;
};

TEST_F(DialThroughSsh, TwoServersAreReachedAndAnUnreachableOneFailsPromptly) {
    start(4);
    auto a = make_client(0, "nodeA");
    auto b = make_client(0, "nodeB");
    ASSERT_EQ(a->OpenPipe(), 0);
    ASSERT_EQ(b->OpenPipe(), 0);
    std::string expected = "Server: " + computer_name.get() + " Max pipes: 4";
    EXPECT_EQ(call(*a, "Num pipes:"), expected);
    EXPECT_EQ(call(*b, "Num pipes:"), expected);
    std::string made = folder + "/through ssh.txt";
    call(*b, "echo ssh > '" + made + "'");
    EXPECT_TRUE(eventually([&] { return read_text_file(made) == "ssh\n"; }));
    auto down = make_client(0, "nodeDown");
    EXPECT_EQ(down->OpenPipe(), kPipeFileNotFound);
    EXPECT_EQ(down->State(), PipeRPC::pstFree);
}

}  // namespace
}  // namespace zelkon
