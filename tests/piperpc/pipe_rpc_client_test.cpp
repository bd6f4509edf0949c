#include "pipe_fixture.h"

namespace zelkon {
namespace {

using PipeRpcClient = PipeFixture;

Message filled(std::size_t size) {
    Message bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return bytes;
}

// The response keeps its lower bound: shrunk to a shorter reply (even an empty one), whole
// when filled exactly, and its first bytes with 234 when the reply is longer.
TEST_F(PipeRpcClient, ResponseTakesTheReplyWithinItsBounds) {
    struct Case {
        int lower, upper;
        std::size_t reply;
        int code, new_upper;
    } cases[] = {{0, 255, 10, 0, 9},
                 {1, 256, 10, 0, 10},
                 {0, 255, 0, 0, -1},
                 {0, 255, 256, 0, 255},
                 {0, 255, 300, 234, 255}};
    listen();
    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    for (const Case& c : cases) {
        fixed_reply = filled(c.reply);
        ByteArray request = ByteArray::of(bytes_of("x"));
        ByteArray response = ByteArray::with_bounds(c.lower, c.upper);
        EXPECT_EQ(client.PipeCall(request, response), c.code) << c.reply;
        EXPECT_EQ(response.lbound(), c.lower);
        EXPECT_EQ(response.ubound(), c.new_upper);
        EXPECT_EQ(response.bytes,
                  Message(fixed_reply->begin(), fixed_reply->begin() + response.size()));
    }
    EXPECT_EQ(client.State(), PipeRPC::pstOpen);
}

TEST_F(PipeRpcClient, WithNobodyListeningOpenTimesOutAndACallGivesTheSystemError) {
    ByteArray request = ByteArray::of(bytes_of("x"));
    ByteArray response = ByteArray::with_bounds(0, 9);
    address_client("nobody");
    EXPECT_EQ(client.OpenPipe(), kPipeFileNotFound);  // the transport's reason
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
    EXPECT_EQ(client.PipeCall(request, response), kPipeFileNotFound);
    EXPECT_EQ(response.size(), 10);
}

// A pipe-less call, ClosePipe (twice, or when free) and teardown each close a pipe once.
TEST_F(PipeRpcClient, EveryWayOfClosingClosesThePipeOnce) {
    client.ClosePipe();
    listen("P", 3);
    address_client();
    ByteArray request = ByteArray::of(bytes_of("hello"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    ASSERT_EQ(client.PipeCall(request, response), 0);
    EXPECT_EQ(response.bytes, bytes_of("hello"));
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
    tick();
    ASSERT_EQ(client.OpenPipe(), 0);
    client.ClosePipe();
    client.ClosePipe();
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
    {
        PipeRPC other(transport, clock, name);
        other.SetPipeName("P");
        ASSERT_EQ(other.OpenPipe(), 0);
    }
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}, {1, 2, 109}, {0, 2, 109}}));
    EXPECT_EQ(transport.open_instances("P"), 1);
    ASSERT_EQ(client.OpenPipe(), 0);
}

TEST_F(PipeRpcClient, ThisComputerIsReachedDirectlyAndOthersRemotely) {
    for (std::string server : {".", "control1", "CONTROL1", "nodeA"}) {
        client.SetServer(server);
        client.SetPipeName("P");
        client.OpenPipe();
    }
    EXPECT_EQ(transport.servers_opened, (std::vector<std::string>{".", ".", ".", "nodeA"}));
}

TEST_F(PipeRpcClient, AClientWaitsItsWholeTimeoutForABusyPipe) {
    listen("P", 1);
    auto first = transport.connect_client("P");
    tick();
    ASSERT_TRUE(first->accepted);
    address_client();
    client.SetTimeout(100);
    std::int64_t start = clock.tick_ms();
    EXPECT_EQ(client.OpenPipe(), kPipeTimeout);
    EXPECT_GE(clock.tick_ms() - start, 100);
    EXPECT_GT(transport.refused_clients, 0);
}

}  // namespace
}  // namespace zelkon
