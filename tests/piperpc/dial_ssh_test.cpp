// Remote pipes through a real ssh login: a private sshd on a loopback port,
// where the hosts nodeA and nodeB both lead.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "listener_fixture.h"

namespace zelkon {
namespace {

// A loopback port that nothing listens on at the moment.
int free_port() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

class DialThroughSsh : public ListenerProgram {
  protected:
    void SetUp() override {
        ListenerProgram::SetUp();
        ssh_folder = folder + "/ssh";
        std::filesystem::create_directory(ssh_folder);
        std::string command = std::string(START_SSHD_PATH) + " " + ssh_folder + " " +
                              std::to_string(free_port()) + " " + std::to_string(free_port()) +
                              " 2> " + ssh_folder + "/start.log";
        int status = std::system(command.c_str());
        ASSERT_EQ(WEXITSTATUS(status), 0) << "the private sshd could not be started: "
                                          << read_text_file(ssh_folder + "/start.log");
        reach_remote_pipes_through("ssh -F " + ssh_folder + "/ssh_config");
    }
    void TearDown() override {
        std::string pid = read_text_file(ssh_folder + "/sshd.pid");
        if (!pid.empty()) {
            kill(std::atoi(pid.c_str()), SIGTERM);
        }
        ListenerProgram::TearDown();
    }

    std::string ssh_folder;
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
    EXPECT_EQ(down->OpenPipe(), kPipeTimeout);
    EXPECT_EQ(down->State(), PipeRPC::pstFree);
}

}  // namespace
}  // namespace zelkon
