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

TEST_F(PipeRpcClient, OpeningAPipeNobodyListensOnGivesTimeout) {
    address_client("nobody");
    EXPECT_EQ(client.OpenPipe(), kPipeTimeout);
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
}

TEST_F(PipeRpcClient, ResponseShrinksToTheReplyKeepingItsLowerBound) {
    listen();
    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    fixed_reply = filled(10);
    ByteArray request = ByteArray::of(bytes_of("x"));
    ByteArray from_zero = ByteArray::with_bounds(0, 255);
    ASSERT_EQ(client.PipeCall(request, from_zero), 0);
    EXPECT_EQ(from_zero.lbound(), 0);
    EXPECT_EQ(from_zero.ubound(), 9);
    ByteArray from_one = ByteArray::with_bounds(1, 256);
    ASSERT_EQ(client.PipeCall(request, from_one), 0);
    EXPECT_EQ(from_one.lbound(), 1);
    EXPECT_EQ(from_one.ubound(), 10);
    EXPECT_EQ(from_one.at(1), 1);
    EXPECT_EQ(from_one.bytes, filled(10));
}

TEST_F(PipeRpcClient, AReplyThatFillsTheResponseExactlyLeavesItAlone) {
    listen();
    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    fixed_reply = filled(256);
    ByteArray request = ByteArray::of(bytes_of("x"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    ASSERT_EQ(client.PipeCall(request, response), 0);
    EXPECT_EQ(response.bytes, filled(256));
}

TEST_F(PipeRpcClient, ALongerReplyGives234WithItsFirstBytes) {
    listen();
    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    fixed_reply = filled(300);
    ByteArray request = ByteArray::of(bytes_of("x"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    EXPECT_EQ(client.PipeCall(request, response), kPipeMoreData);
    EXPECT_EQ(response.ubound(), 255);
    Message whole = filled(300);
    EXPECT_EQ(response.bytes, Message(whole.begin(), whole.begin() + 256));
    EXPECT_EQ(client.State(), PipeRPC::pstOpen);
}

TEST_F(PipeRpcClient, APipelessCallIsOneCompleteExchange) {
    listen();
    address_client();
    ByteArray request = ByteArray::of(bytes_of("hello"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    ASSERT_EQ(client.PipeCall(request, response), 0);
    EXPECT_EQ(response.bytes, bytes_of("hello"));
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}}));
}

TEST_F(PipeRpcClient, APipelessCallNeedsAPipeName) {
    ByteArray request, response;
    try {
        client.PipeCall(request, response);
        FAIL() << "no error";
    } catch (const ZelkonError& error) {
        EXPECT_EQ(error.number(), 5);
        EXPECT_EQ(error.description(),
                  "PipeName is required (cannot be empty) to make calls while State = pstFree");
    }
}

TEST_F(PipeRpcClient, APipelessCallToAMissingPipeReturnsTheSystemError) {
    address_client("nobody");
    ByteArray request = ByteArray::of(bytes_of("x"));
    ByteArray response = ByteArray::with_bounds(0, 9);
    EXPECT_EQ(client.PipeCall(request, response), kPipeFileNotFound);
    EXPECT_EQ(response.size(), 10);
}

TEST_F(PipeRpcClient, ClosingTwiceOrWhenFreeDoesNothing) {
    client.ClosePipe();
    listen();
    address_client();
    ASSERT_EQ(client.OpenPipe(), 0);
    client.ClosePipe();
    client.ClosePipe();
    EXPECT_EQ(client.State(), PipeRPC::pstFree);
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}}));
    ASSERT_EQ(client.OpenPipe(), 0);
}

TEST_F(PipeRpcClient, TeardownOfAnOpenClientClosesItsPipe) {
    listen();
    {
        PipeRPC other(transport, clock, name);
        other.SetPipeName("P");
        ASSERT_EQ(other.OpenPipe(), 0);
    }
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}}));
    EXPECT_EQ(transport.open_instances("P"), 1);
}

TEST_F(PipeRpcClient, ThisComputerIsReachedDirectlyAndOthersRemotely) {
    for (std::string server : {".", "control1", "CONTROL1", "nodeA"}) {
        client.SetServer(server);
        client.SetPipeName("P");
        client.OpenPipe();
    }
    EXPECT_EQ(transport.servers_opened, (std::vector<std::string>{".", ".", ".", "nodeA"}));
}

TEST_F(PipeRpcClient, AWaitingClientGetsTheInstanceFreedWithinItsTimeout) {
    listen("P", 1);
    address_client();
    auto first = transport.connect_client("P");
    tick();
    ASSERT_TRUE(first->accepted);
    // The only instance is taken: the client waits out its whole timeout.
    client.SetTimeout(100);
    std::int64_t start = clock.tick_ms();
    EXPECT_EQ(client.OpenPipe(), kPipeTimeout);
    EXPECT_GE(clock.tick_ms() - start, 100);
    EXPECT_GT(transport.refused_clients, 0);
}

}  // namespace
}  // namespace zelkon
