// The Unix-socket transport's own safety checks, without a listener program.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "piperpc/pipe_rpc.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_services.h"
#include "platform/unix_pipe_transport.h"

namespace zelkon {
namespace {

class UnixTransport : public ::testing::Test {
  protected:
    UnixTransport() {
        char pattern[] = "/tmp/zelkon-transport-test-XXXXXX";
        root = mkdtemp(pattern);
        config.folder = root + "/piperpc";
        config.ssh_command = "false";
        config.dial_command = "false";
    }
    ~UnixTransport() override { std::filesystem::remove_all(root); }

    // The error Listen raises for the pipe name, or "" when it listens.
    std::string listen_error(const std::string& pipe_name) {
        UnixPipeTransport transport(config);
        PipeRPC pipe(transport, clock, computer_name);
        pipe.SetPipeName(pipe_name);
        try {
            pipe.Listen();
        } catch (const ZelkonError& error) {
            return error.description();
        }
        return "";
    }

    std::string root;
    UnixPipeConfig config;
    FakeClock clock;
    FakeComputerName computer_name;
};

TEST_F(UnixTransport, NamesThatWouldLeaveThePipeFolderAreRefused) {
    for (std::string name :
         std::vector<std::string>{"", ".", "..", "../outside", "a/b", std::string(200, 'n')}) {
        EXPECT_EQ(listen_error(name), "Pipe #0, System error 123") << name;
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/outside"));
}

TEST_F(UnixTransport, APipeFolderOthersMayEnterIsRefused) {
    ASSERT_EQ(mkdir(config.folder.c_str(), 0755), 0);
    EXPECT_EQ(listen_error("P"), "Pipe #0, System error 5");
    ASSERT_EQ(chmod(config.folder.c_str(), 0700), 0);
    EXPECT_EQ(listen_error("P"), "");
}

TEST_F(UnixTransport, APipeFolderThatIsALinkIsRefused) {
    std::filesystem::create_directory(root + "/elsewhere");
    std::filesystem::create_directory_symlink(root + "/elsewhere", config.folder);
    EXPECT_EQ(listen_error("P"), "Pipe #0, System error 5");
}

TEST_F(UnixTransport, ClosingTheListenerRemovesItsSocket) {
    UnixPipeTransport transport(config);
    PipeRPC pipe(transport, clock, computer_name);
    pipe.SetPipeName("P");
    pipe.Listen();
    EXPECT_TRUE(std::filesystem::exists(config.folder + "/P"));
    pipe.ClosePipe();
    EXPECT_FALSE(std::filesystem::exists(config.folder + "/P"));
}

}  // namespace
}  // namespace zelkon
