// The real zelkon-listener, reached by the component's client over Unix sockets,
// locally and through --dial.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
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

// The error Listen raises for the pipe name, or "" when it listens.
std::string listen_error(const std::string& pipe_name) {
    UnixPipeTransport transport(UnixPipeConfig::from_environment());
    FakeClock clock;
    HostComputerName computer_name;
    PipeRPC pipe(transport, clock, computer_name);
    pipe.SetPipeName(pipe_name);
    try {
        pipe.Listen();
    } catch (const ZelkonError& error) {
        return error.description();
    }
    return "";
}

TEST_F(ListenerProgram, OnlyItsOwnerCanReachThePipe) {
    for (std::string name :
         std::vector<std::string>{"", ".", "..", "../outside", "a/b", std::string(200, 'n')}) {
        EXPECT_EQ(listen_error(name), "Pipe #0, System error 123") << name;
    }
    EXPECT_FALSE(fs::exists(folder + "/outside"));
    // A pipe folder that is a link (even to a private folder) or that others may enter.
    fs::create_directory(folder + "/elsewhere", folder);
    fs::create_directory_symlink(folder + "/elsewhere", folder + "/piperpc");
    EXPECT_EQ(listen_error("P"), "Pipe #0, System error 5");
    fs::remove(folder + "/piperpc");
    ASSERT_EQ(mkdir((folder + "/piperpc").c_str(), 0755), 0);
    EXPECT_EQ(listen_error("P"), "Pipe #0, System error 5");
    ASSERT_EQ(chmod((folder + "/piperpc").c_str(), 0700), 0);
    start(1);
    struct stat info {};
    ASSERT_EQ(stat(socket_path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ListenerProgram, RunsOtherRequestsAsDetachedCommandLines) {
    start(2);
    struct stat info {};
    ASSERT_EQ(stat((folder + "/piperpc").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // A pipe-less call is a complete exchange of its own; the command starts with no
    // signal blocked.
    std::string made = folder + "/made by the listener.txt";
    std::string reply =
        call(*make_client(), "{ echo \"$0\"; grep SigBlk /proc/self/status; } > '" + made + "'");
    EXPECT_EQ(reply.rfind("Started process ", 0), 0u) << reply;
    ASSERT_TRUE(eventually([&] { return read_text_file(made).size() > 20; }));
    EXPECT_EQ(read_text_file(made), "sh\nSigBlk:\t0000000000000000\n");
    EXPECT_NE(read_text_file(log_path()).find("SigBlk"), std::string::npos);
}

// A client that closes its end after the reply is the normal case, not a fault.
TEST_F(ListenerProgram, LogsAClientThatClosesAfterItsReplyAsClosed) {
    start(2);
    call(*make_client(), "Num pipes:");
    EXPECT_TRUE(eventually([&] {
        return read_text_file(log_path()).find(": client closed\n") != std::string::npos;
    })) << read_text_file(log_path());
    EXPECT_EQ(read_text_file(log_path()).find("error"), std::string::npos)
        << read_text_file(log_path());
}

// Any client may run any command as the listener's user.
TEST_F(ListenerProgram, WarnsWhenStartedAsRoot) {
    start(1);
    bool warned = read_text_file(log_path()).find("warning: running as root") != std::string::npos;
    EXPECT_EQ(warned, geteuid() == 0) << read_text_file(log_path());
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

TEST_F(ListenerProgram, OddExchangesCostNoMoreThanTheirOwnPipe) {
    start(2);
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
    // An empty request is answered, not taken for a client that has gone.
    ByteArray request;
    ByteArray response = ByteArray::with_bounds(0, 255);
    ASSERT_EQ(client->PipeCall(request, response), 0);
    EXPECT_EQ(from_utf16le(response.bytes), "Error: empty request");
    // A longer reply than the response gives 234, and the next one is whole.
    request = ByteArray::of(to_utf16le("Num pipes:"));
    response = ByteArray::with_bounds(1, 16);
    EXPECT_EQ(client->PipeCall(request, response), kPipeMoreData);
    EXPECT_EQ(response.lbound(), 1);
    EXPECT_EQ(from_utf16le(response.bytes), "Server: ");
    EXPECT_EQ(call(*client, "Num pipes:"), "Server: " + computer_name.get() + " Max pipes: 2");
}

// A dead listener's socket is replaced, a live one's is not shared, and SIGTERM ends
// the listener cleanly.
TEST_F(ListenerProgram, OwnsItsSocketFromStartToCleanStop) {
    start(1);
    listener->signal(SIGKILL);
    listener->wait_for_exit(5000);
    ASSERT_TRUE(fs::exists(socket_path));
    listener.reset();
    start(1);
    std::string log = folder + "/second.log";
    ChildProcess second({ZELKON_LISTENER_PATH, "--pipe", "Zelkon_Test"}, log);
    EXPECT_EQ(second.wait_for_exit(5000), 1);
    EXPECT_NE(
        read_text_file(log).find("System error 231 (another listener already serves this pipe)"),
        std::string::npos)
        << read_text_file(log);
    EXPECT_EQ(call(*make_client(), "Num pipes:").substr(0, 8), "Server: ");
    listener->signal(SIGTERM);
    EXPECT_EQ(listener->wait_for_exit(5000), 0);
    EXPECT_FALSE(fs::exists(socket_path));
    listener.reset();
    EXPECT_EQ(make_client(50)->OpenPipe(), kPipeFileNotFound);
}

TEST_F(ListenerProgram, RefusesBadOptionsWithAUsageError) {
    for (std::string option : {"--max-clients", "--max-client"}) {
        std::string log = folder + "/" + option + ".log";
        ChildProcess bad({ZELKON_LISTENER_PATH, option, "0"}, log);
        EXPECT_EQ(bad.wait_for_exit(5000), 2);
        EXPECT_NE(read_text_file(log).find(option == "--max-clients" ? "must be" : "'max-client'"),
                  std::string::npos)
            << read_text_file(log);
    }
}

// Remote pipes through --dial, with a stand-in for ssh that runs the remote command
// here: the framing and the bridge without a login.
TEST_F(ListenerProgram, DialARemotePipeCarriesExchangesLikeALocalOne) {
    reach_remote_pipes_through(LOCAL_SSH_PATH);
    start(1);
    auto client = make_client(0, "nodeA");
    ASSERT_EQ(client->OpenPipe(), 0);
    EXPECT_EQ(call(*client, "Num pipes:"), "Server: " + computer_name.get() + " Max pipes: 1");
    ByteArray request = ByteArray::of(to_utf16le("Num pipes:"));
    ByteArray response = ByteArray::with_bounds(0, 15);
    EXPECT_EQ(client->PipeCall(request, response), kPipeMoreData);
    EXPECT_EQ(from_utf16le(response.bytes), "Server: ");
    // The rest of that reply was skipped, so the next exchange is whole.
    EXPECT_EQ(call(*client, "Num pipes:").substr(0, 8), "Server: ");
    // The listener is busy: a second client waits, then times out.
    auto second = make_client(300, "nodeB");
    EXPECT_EQ(second->OpenPipe(), kPipeTimeout);
    // The bridge ends with the client, and the listener frees the slot.
    client->ClosePipe();
    second->SetTimeout(5000);
    ASSERT_EQ(second->OpenPipe(), 0);
    second->ClosePipe();
    std::string made = folder + "/remote.txt";
    std::string reply = call(*make_client(5000, "nodeA"), "echo remote > '" + made + "'");
    EXPECT_EQ(reply.rfind("Started process ", 0), 0u) << reply;
    EXPECT_TRUE(eventually([&] { return read_text_file(made) == "remote\n"; }));
}

TEST_F(ListenerProgram, DialNoRemoteListenerOrAHostNameLikeAnOptionFailsClearly) {
    reach_remote_pipes_through(LOCAL_SSH_PATH);
    ByteArray request = ByteArray::of(to_utf16le("Num pipes:"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    auto client = make_client(0, "nodeA");
    EXPECT_EQ(client->OpenPipe(), kPipeFileNotFound);
    EXPECT_EQ(client->PipeCall(request, response), kPipeFileNotFound);
    auto option = make_client(0, "-oProxyCommand=touch " + folder + "/pwned");
    EXPECT_EQ(option->OpenPipe(), kPipeInvalidName);
    EXPECT_EQ(option->PipeCall(request, response), kPipeInvalidName);
    EXPECT_FALSE(std::filesystem::exists(folder + "/pwned"));
}

TEST_F(ListenerProgram, DialInputThatIsNotFramesEndsTheBridgeWithAMessage) {
    start(1);
    std::string input = folder + "/junk";
    std::ofstream(input) << "\xff\xff\xff\x7fgarbage";
    std::string command = "env XDG_RUNTIME_DIR='" + folder + "' " + ZELKON_LISTENER_PATH +
                          " --dial Zelkon_Test < '" + input + "' > /dev/null 2> '" + folder +
                          "/dial.log'";
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(read_text_file(folder + "/dial.log").find("not length-prefixed frames"),
              std::string::npos);
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
}

}  // namespace
}  // namespace zelkon
