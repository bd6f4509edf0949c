// The real zelkon-listener, reached by the component's client over Unix sockets.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <random>

#include "listener_fixture.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// A raw client, for what the component itself would never send.
int raw_connect(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST_F(ListenerProgram, RunsOtherRequestsAsDetachedCommandLines) {
    start(2);
    auto client = make_client();
    std::string made = folder + "/made by the listener.txt";
    // A pipe-less call is a complete exchange of its own.
    std::string reply = call(*client, "echo \"$0\" > '" + made + "'");
    EXPECT_EQ(reply.rfind("Started process ", 0), 0u) << reply;
    ASSERT_TRUE(eventually([&] { return fs::exists(made) && fs::file_size(made) > 0; }));
    EXPECT_EQ(read_text_file(made), "sh\n");
    EXPECT_NE(read_text_file(log_path()).find("echo"), std::string::npos);
}

TEST_F(ListenerProgram, CommandsStartWithNoSignalBlocked) {
    start(1);
    auto client = make_client();
    std::string mask = folder + "/mask";
    call(*client, "grep SigBlk /proc/self/status > '" + mask + "'");
    ASSERT_TRUE(eventually([&] { return read_text_file(mask).size() > 8; }));
    EXPECT_EQ(read_text_file(mask), "SigBlk:\t0000000000000000\n");
}

TEST_F(ListenerProgram, OnlyItsOwnerCanReachThePipe) {
    start(1);
    struct stat info {};
    ASSERT_EQ(stat((folder + "/piperpc").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(socket_path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ListenerProgram, ClientsBeyondTheCapWaitThenGetTheFreedInstance) {
    start(2);
    auto a = make_client();
    auto b = make_client();
    auto c = make_client(200);
    ASSERT_EQ(a->OpenPipe(), 0);
    ASSERT_EQ(b->OpenPipe(), 0);
    EXPECT_EQ(c->OpenPipe(), kPipeTimeout);
    EXPECT_EQ(c->State(), PipeRPC::pstFree);
    a->ClosePipe();
    c->SetTimeout(5000);  // time enough for the listener to free the slot
    ASSERT_EQ(c->OpenPipe(), 0);
    EXPECT_EQ(call(*c, "Num pipes:").substr(0, 8), "Server: ");
    EXPECT_EQ(call(*b, "Num pipes:").substr(0, 8), "Server: ");
}

TEST_F(ListenerProgram, BadClientsLeaveItServingWithNoDescriptorLost) {
    start(4);
    auto probe = make_client();
    ASSERT_EQ(probe->OpenPipe(), 0);
    call(*probe, "Num pipes:");
    int baseline = listener->open_descriptors();
    std::mt19937 random(6);
    for (int i = 0; i < 1000; ++i) {
        int fd = raw_connect(socket_path);
        ASSERT_GE(fd, 0);
        if (i % 10 == 0) {  // random bytes, and sometimes more than it accepts
            std::vector<std::uint8_t> junk(i % 20 == 0 ? 70000 : 1 + random() % 300);
            for (auto& byte : junk) {
                byte = static_cast<std::uint8_t>(random());
            }
            send(fd, junk.data(), junk.size(), MSG_NOSIGNAL);
        }
        close(fd);
    }
    for (int i = 0; i < 20; ++i) {  // the component's own client, open and close
        auto client = make_client();
        ASSERT_EQ(client->OpenPipe(), 0);
    }
    EXPECT_EQ(call(*probe, "Num pipes:").substr(0, 8), "Server: ");
    EXPECT_TRUE(eventually([&] { return listener->open_descriptors() == baseline; }))
        << listener->open_descriptors() << " descriptors, " << baseline << " before";
}

TEST_F(ListenerProgram, AnEmptyRequestIsAnsweredNotTakenForAGoneClient) {
    start(1);
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
    ByteArray request;
    ByteArray response = ByteArray::with_bounds(0, 255);
    ASSERT_EQ(client->PipeCall(request, response), 0);
    EXPECT_EQ(from_utf16le(response.bytes), "Error: empty request");
    EXPECT_EQ(call(*client, "Num pipes:").substr(0, 8), "Server: ");
}

TEST_F(ListenerProgram, AReplyLongerThanTheResponseGives234AndTheNextIsWhole) {
    start(1);
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
    ByteArray request = ByteArray::of(to_utf16le("Num pipes:"));
    ByteArray response = ByteArray::with_bounds(1, 16);
    EXPECT_EQ(client->PipeCall(request, response), kPipeMoreData);
    EXPECT_EQ(response.lbound(), 1);
    EXPECT_EQ(from_utf16le(response.bytes), "Server: ");
    EXPECT_EQ(call(*client, "Num pipes:"), "Server: " + computer_name.get() + " Max pipes: 1");
}

TEST_F(ListenerProgram, ARequestOverItsLimitClosesOnlyThatClient) {
    start(2);
    auto big = make_client();
    ASSERT_EQ(big->OpenPipe(), 0);
    ByteArray request = ByteArray::with_bounds(0, 65536);
    ByteArray response = ByteArray::with_bounds(0, 255);
    EXPECT_EQ(big->PipeCall(request, response), kPipeBrokenPipe);
    auto next = make_client();
    ASSERT_EQ(next->OpenPipe(), 0);
    EXPECT_EQ(call(*next, "Num pipes:").substr(0, 8), "Server: ");
}

TEST_F(ListenerProgram, StopsCleanlyOnSigterm) {
    start(1);
    listener->signal(SIGTERM);
    EXPECT_EQ(listener->wait_for_exit(5000), 0);
    EXPECT_FALSE(fs::exists(socket_path));
    listener.reset();
    auto client = make_client(50);
    EXPECT_EQ(client->OpenPipe(), kPipeTimeout);
}

TEST_F(ListenerProgram, ASecondListenerOnTheSameNameIsRefusedClearly) {
    start(1);
    ChildProcess second({ZELKON_LISTENER_PATH, "--pipe", "Zelkon_Test"}, folder + "/second.log");
    EXPECT_EQ(second.wait_for_exit(5000), 1);
    EXPECT_NE(read_text_file(folder + "/second.log")
                  .find("System error 231 (another listener already serves this pipe)"),
              std::string::npos)
        << read_text_file(folder + "/second.log");
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
}

TEST_F(ListenerProgram, ReplacesTheSocketOfAListenerThatDied) {
    start(1);
    listener->signal(SIGKILL);
    listener->wait_for_exit(5000);
    ASSERT_TRUE(fs::exists(socket_path));
    listener.reset();
    start(1);
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
}

TEST_F(ListenerProgram, RefusesBadOptionsWithAUsageError) {
    ChildProcess bad({ZELKON_LISTENER_PATH, "--max-clients", "0"}, log_path());
    EXPECT_EQ(bad.wait_for_exit(5000), 2);
    ChildProcess unknown({ZELKON_LISTENER_PATH, "--max-client", "3"}, log_path());
    EXPECT_EQ(unknown.wait_for_exit(5000), 2);
    std::string log = read_text_file(log_path());
    EXPECT_NE(log.find("--max-clients must be"), std::string::npos) << log;
    EXPECT_NE(log.find("max-client"), std::string::npos) << log;
}

}  // namespace
}  // namespace zelkon
