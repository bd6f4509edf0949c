// The real zelkon-listener, reached over Unix sockets and through --dial with a stand-in ssh.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <optional>

#include "listener_process.h"
#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/fake/fake_clock.h"
#include "platform/posix_system_info.h"
#include "platform/unix_pipe_transport.h"
#include "program_run.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// A zelkon-listener on a pipe folder of the test's own, and the client to reach it.
class ListenerProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        // The listener and this test find the pipe folder here.
        setenv("XDG_RUNTIME_DIR", temp.path().c_str(), 1);
        transport = std::make_unique<UnixPipeTransport>(UnixPipeConfig::from_environment());
    }
    void start(int max_clients) {
        listener.reset();
        fs::remove(log_path());
        listener.emplace(fs::path(ZELKON_LISTENER_PATH).parent_path().string(), temp.path(),
                         max_clients, log_path());
        ASSERT_TRUE(contains(file_text(log_path()), "listening on pipe"));
    }
    std::string log_path() const { return temp.file("listener.log"); }
    std::string socket_path() const { return temp.file("piperpc/Zelkon_Server"); }
    std::unique_ptr<PipeRPC> make_client(int timeout_ms = 0, const std::string& server = ".") {
        auto client = std::make_unique<PipeRPC>(*transport, clock, computer_name);
        client->SetPipeName("Zelkon_Server");
        client->SetTimeout(timeout_ms);
        client->SetServer(server);
        return client;
    }
    // The error Listen raises for the pipe name, or "" when it listens.
    std::string listen_error(const std::string& pipe_name) {
        PipeRPC pipe(*transport, clock, computer_name);
        pipe.SetPipeName(pipe_name);
        try {
            pipe.Listen();
        } catch (const ZelkonError& error) {
            return error.description();
        }
        return "";
    }
    // One exchange of UTF-16LE text with a reply buffer of the size given.
    std::string call(PipeRPC& client, const std::string& text, int expected = 0, int upper = 255) {
        ByteArray request = ByteArray::of(to_utf16le(text));
        ByteArray response = ByteArray::with_bounds(0, upper);
        EXPECT_EQ(client.PipeCall(request, response), expected) << text;
        return from_utf16le(response.bytes);
    }

    TempFolder temp;
    FakeClock clock;
    HostComputerName computer_name;
    std::unique_ptr<UnixPipeTransport> transport;
    std::optional<ListenerProcess> listener;
};

TEST_F(ListenerProgram, OnlyItsOwnerCanReachThePipe) {
    for (const std::string& name :
         std::vector<std::string>{"", ".", "..", "a/b", std::string(200, 'n')}) {
        EXPECT_EQ(listen_error(name), "Pipe #0, System error 123") << name;
    }
    // A pipe folder that is a link (even to a private folder) or that others may enter.
    fs::create_directory(temp.file("elsewhere"), temp.path());
    fs::create_directory_symlink(temp.file("elsewhere"), temp.file("piperpc"));
    EXPECT_EQ(listen_error("P"), "Pipe #0, System error 5");
    fs::remove(temp.file("piperpc"));
    ASSERT_EQ(mkdir(temp.file("piperpc").c_str(), 0755), 0);
    EXPECT_EQ(listen_error("P"), "Pipe #0, System error 5");
    ASSERT_EQ(chmod(temp.file("piperpc").c_str(), 0700), 0);
    start(1);
    struct stat info {};
    ASSERT_EQ(stat(socket_path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// No signal blocked for a command; an empty request answered; a long reply 234, then whole.
TEST_F(ListenerProgram, RunsCommandsUnblockedAndAnswersOddExchanges) {
    start(2);
    std::string made = temp.file("made by the listener.txt");
    std::string reply = call(*make_client(), "grep SigBlk /proc/self/status > '" + made + "'");
    EXPECT_EQ(reply.rfind("Started process ", 0), 0u) << reply;
    EXPECT_TRUE(eventually([&] { return file_text(made) == "SigBlk:\t0000000000000000\n"; }))
        << file_text(made);
    auto client = make_client();
    ASSERT_EQ(client->OpenPipe(), 0);
    EXPECT_EQ(call(*client, ""), "Error: empty request");
    EXPECT_EQ(call(*client, "Num pipes:", kPipeMoreData, 15), "Server: ");
    EXPECT_EQ(call(*client, "Num pipes:"), "Server: " + computer_name.get() + " Max pipes: 2");
}

TEST_F(ListenerProgram, BadClientsLeaveItServingWithNoDescriptorLost) {
    start(4);
    auto probe = make_client();
    ASSERT_EQ(probe->OpenPipe(), 0);
    call(*probe, "Num pipes:");
    auto descriptors = [&] {
        std::error_code error;
        fs::directory_iterator fds("/proc/" + std::to_string(listener->pid()) + "/fd", error);
        return std::distance(begin(fds), end(fds));
    };
    auto baseline = descriptors();
    for (int i = 0; i < 300; ++i) {  // some send bytes, some more than it accepts
        int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket_path().c_str());
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (i % 3 == 0) {
            std::vector<std::uint8_t> junk(i % 20 == 0 ? 70000 : i, static_cast<std::uint8_t>(i));
            send(fd, junk.data(), junk.size(), MSG_NOSIGNAL);
        }
        close(fd);
    }
    EXPECT_EQ(call(*probe, "Num pipes:").substr(0, 8), "Server: ");
    EXPECT_TRUE(eventually([&] { return descriptors() == baseline; }))
        << descriptors() << " descriptors, " << baseline << " before";
}

// A dead listener's socket is replaced, a live one's is not shared; SIGTERM ends it cleanly.
TEST_F(ListenerProgram, OwnsItsSocketFromStartToCleanStop) {
    start(1);
    listener->end(SIGKILL);
    ASSERT_TRUE(fs::exists(socket_path()));
    start(1);
    ProgramRun second = run_command(temp, "timeout 5 " + shell_quoted(ZELKON_LISTENER_PATH));
    EXPECT_EQ(second.code, 1);
    EXPECT_TRUE(
        contains(second.err, "System error 231 (another listener already serves this pipe)"))
        << second.err;
    EXPECT_EQ(call(*make_client(), "Num pipes:").substr(0, 8), "Server: ");
    EXPECT_EQ(listener->end(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(socket_path()));
    EXPECT_EQ(make_client(50)->OpenPipe(), kPipeFileNotFound);
    ProgramRun bad = run_command(temp, shell_quoted(ZELKON_LISTENER_PATH) + " --max-clients 0");
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(contains(bad.err, "must be")) << bad.err;
}

// Whole runs through listeners go through --dial; this is what they cannot show.
TEST_F(ListenerProgram, DialNoRemoteListenerAHostNameLikeAnOptionOrNoFramesFailClearly) {
    // The stand-in for ssh runs the far side here, where --dial finds this test's pipe folder.
    UnixPipeConfig config = UnixPipeConfig::from_environment();
    config.ssh = SshOptions::from_command(LOCAL_SSH_PATH);
    config.dial_command = "env XDG_RUNTIME_DIR=" + shell_quote(temp.path()) + " " +
                          shell_quote(ZELKON_LISTENER_PATH) + " --dial";
    transport = std::make_unique<UnixPipeTransport>(config);
    EXPECT_EQ(make_client(0, "nodeA")->OpenPipe(), kPipeFileNotFound);
    auto option = make_client(0, "-oProxyCommand=touch " + temp.file("pwned"));
    EXPECT_EQ(option->OpenPipe(), kPipeInvalidName);
    call(*option, "Num pipes:", kPipeInvalidName);
    EXPECT_FALSE(fs::exists(temp.file("pwned")));
    start(1);
    std::ofstream(temp.file("junk")) << "\xff\xff\xff\x7fgarbage";
    ProgramRun dial =
        run_command(temp, "timeout 5 " + shell_quoted(ZELKON_LISTENER_PATH) +
                              " --dial Zelkon_Server < " + shell_quoted(temp.file("junk")));
    EXPECT_EQ(dial.code, 1);
    EXPECT_TRUE(contains(dial.err, "not length-prefixed frames")) << dial.err;
    ASSERT_EQ(make_client()->OpenPipe(), 0);
}

}  // namespace
}  // namespace zelkon
