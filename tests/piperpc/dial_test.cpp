// Remote pipes through --dial, with a stand-in for ssh that runs the remote
// command here: the framing and the bridge without a login.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "listener_fixture.h"

namespace zelkon {
namespace {

class DialBridge : public ListenerProgram {
  protected:
    void SetUp() override {
        ListenerProgram::SetUp();
        reach_remote_pipes_through(LOCAL_SSH_PATH);
    }
};

TEST_F(DialBridge, ARemotePipeCarriesExchangesLikeALocalOne) {
    start(2);
    auto client = make_client(0, "nodeA");
    ASSERT_EQ(client->OpenPipe(), 0);
    EXPECT_EQ(call(*client, "Num pipes:"), "Server: " + computer_name.get() + " Max pipes: 2");
    EXPECT_EQ(call(*client, "Num pipes:").substr(0, 8), "Server: ");
    client->ClosePipe();
    // The bridge ends with the client, and the listener frees the slot.
    auto again = make_client(0, "nodeB");
    ASSERT_EQ(again->OpenPipe(), 0);
    auto third = make_client(0, "nodeA");
    ASSERT_EQ(third->OpenPipe(), 0);
}

TEST_F(DialBridge, APipelessRemoteCallIsOneExchange) {
    start(1);
    auto client = make_client(0, "nodeA");
    std::string made = folder + "/remote.txt";
    std::string reply = call(*client, "echo remote > '" + made + "'");
    EXPECT_EQ(reply.rfind("Started process ", 0), 0u) << reply;
    EXPECT_TRUE(eventually([&] { return read_text_file(made) == "remote\n"; }));
}

TEST_F(DialBridge, ARemoteReplyLongerThanTheResponseGives234) {
    start(1);
    auto client = make_client(0, "nodeA");
    ASSERT_EQ(client->OpenPipe(), 0);
    ByteArray request = ByteArray::of(to_utf16le("Num pipes:"));
    ByteArray response = ByteArray::with_bounds(0, 15);
    EXPECT_EQ(client->PipeCall(request, response), kPipeMoreData);
    EXPECT_EQ(from_utf16le(response.bytes), "Server: ");
    // The rest of that reply was skipped, so the next exchange is whole.
    EXPECT_EQ(call(*client, "Num pipes:").substr(0, 8), "Server: ");
}

TEST_F(DialBridge, ABusyRemoteListenerMakesTheClientWaitThenTimeOut) {
    start(1);
    auto first = make_client(0, "nodeA");
    ASSERT_EQ(first->OpenPipe(), 0);
    auto second = make_client(300, "nodeA");
    EXPECT_EQ(second->OpenPipe(), kPipeTimeout);
    first->ClosePipe();
    second->SetTimeout(5000);  // time enough for the listener to free the slot
    ASSERT_EQ(second->OpenPipe(), 0);
}

TEST_F(DialBridge, ARemotePipeWithoutListenerFailsWithAClearMessage) {
    auto client = make_client(0, "nodeA");
    EXPECT_EQ(client->OpenPipe(), kPipeTimeout);
    ByteArray request = ByteArray::of(to_utf16le("Num pipes:"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    EXPECT_EQ(client->PipeCall(request, response), kPipeFileNotFound);
}

TEST_F(DialBridge, AHostNameThatLooksLikeAnOptionIsRefused) {
    start(1);
    auto client = make_client(0, "-oProxyCommand=touch " + folder + "/pwned");
    EXPECT_EQ(client->OpenPipe(), kPipeTimeout);
    ByteArray request = ByteArray::of(to_utf16le("x"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    EXPECT_EQ(client->PipeCall(request, response), kPipeInvalidName);
    EXPECT_FALSE(std::filesystem::exists(folder + "/pwned"));
}

TEST_F(DialBridge, InputThatIsNotFramesEndsTheBridgeWithAMessage) {
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
