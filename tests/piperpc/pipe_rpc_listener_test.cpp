#include "pipe_fixture.h"

namespace zelkon {
namespace {

using PipeRpcListener = PipeFixture;

TEST_F(PipeRpcListener, NoTimeoutBecomes250OnListen) {
    listen();
    EXPECT_EQ(listener.Timeout(), 250);
}

TEST_F(PipeRpcListener, OneClientCapRefusesTheSecondAndWaitsAgainWhenTheFirstLeaves) {
    listen("P", 1);
    EXPECT_EQ(listener.ListenPath(), "\\\\.\\pipe\\P");
    EXPECT_EQ(listener.IdleInstances(), 1);
    auto first = transport.connect_client("P");
    tick();
    EXPECT_EQ(connected, std::vector<int>{0});
    EXPECT_EQ(listener.IdleInstances(), 0);
    auto second = transport.connect_client("P");
    tick();
    EXPECT_TRUE(second->refused);
    // When the client leaves, its slot already waits again as Disconnected is raised.
    bool waiting_at_event = false;
    listener.Disconnected = [&](int pipe, int reason, int error) {
        waiting_at_event = listener.InstanceOpen(0) && !listener.InstanceConnected(0);
        disconnected.push_back({pipe, reason, error});
    };
    first->client_closed = true;
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}}));
    EXPECT_TRUE(waiting_at_event);
    EXPECT_EQ(listener.IdleInstances(), 1);
}

// Slots fill in order and the lowest free one is taken again.
TEST_F(PipeRpcListener, AFreedSlotIsReusedAndCap255MeansNoCap) {
    listen("P", 3);
    std::vector<std::shared_ptr<FakePipeLink>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(transport.connect_client("P"));
        tick();
    }
    clients[1]->client_closed = true;
    tick();
    auto next = transport.connect_client("P");
    next->send(bytes_of("hi"));
    tick();
    EXPECT_EQ(calls, std::vector<int>{1});
    listener.ClosePipe();
    listen("Q", 255);
    for (int i = 0; i < 300; ++i) {
        clients.push_back(transport.connect_client("Q"));
    }
    tick();
    EXPECT_EQ(transport.refused_clients, 0);
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpcListener, ARequestOfExactlyMaxRequestIsServedOneMoreIsRefused) {
    fixed_reply = bytes_of("ok");
    listener.SetMaxRequest(100);
    listen();
    auto link = transport.connect_client("P");
    link->send(Message(100, 'a'));
    tick();
    ASSERT_EQ(link->to_client.size(), 1u);
    link->send(Message(101, 'a'));
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 4, 234}}));
    EXPECT_TRUE(link->server_closed);
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpcListener, MultiPollDrainsABurstInOneTickOtherwiseOneRequestATick) {
    for (bool multi : {false, true}) {
        listener.SetMultiPoll(multi);
        listen();
        auto link = transport.connect_client("P");
        for (int i = 0; i < 3; ++i) {
            link->send(bytes_of("r" + std::to_string(i)));
        }
        tick();
        EXPECT_EQ(link->to_client.size(), multi ? 3u : 1u);
        tick();
        EXPECT_EQ(link->to_client.size(), multi ? 3u : 2u);
        listener.ClosePipe();
    }
}

TEST_F(PipeRpcListener, AFailureToSetUpTheFirstInstanceEndsListen) {
    for (auto [inject, text] : {std::pair{&transport.fail_next_listen, "Pipe #0, System error 123"},
                                {&transport.fail_next_connect, "System error 123"}}) {
        *inject = kPipeInvalidName;
        ZelkonError error = raised_by([&] { listen(); });
        EXPECT_EQ(error.number(), PipeRPC::kErrPipeSystem);
        EXPECT_EQ(error.description(), text);
        EXPECT_EQ(listener.State(), PipeRPC::pstFree);
        EXPECT_EQ(transport.open_instances("P"), 0);
    }
    listen();
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpcListener, ClosePipeAndTeardownDisconnectEveryClientOnce) {
    listen("P", 3);
    auto a = transport.connect_client("P");
    auto b = transport.connect_client("P");
    tick();
    listener.ClosePipe();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 3, 0}, {1, 3, 0}}));
    EXPECT_EQ(listener.State(), PipeRPC::pstFree);
    EXPECT_EQ(transport.open_instances("P"), 0);
    EXPECT_FALSE(transport.is_listening("P"));
    EXPECT_TRUE(a->server_closed && b->server_closed);
    EXPECT_EQ(listener.InstanceSlots(), 1);

    auto own = std::make_unique<PipeRPC>(transport, clock, name);
    own->SetPipeName("T");
    own->Listen();
    auto c = transport.connect_client("T");
    tick();
    own.reset();
    EXPECT_TRUE(c->server_closed);
}

// Whatever goes wrong with one client, the next one is served.
enum Handler { kEcho, kThrows, kLongReply, kVanishes };
struct ClientFault {
    int request_size;  // -1: none
    bool gone_at_once, replacement_fails;
    Handler handler;
    std::vector<std::string> poll_errors;
    std::vector<PipeFixture::Disconnect> disconnected;
};

class PipeRpcClientFault : public PipeFixture, public ::testing::WithParamInterface<ClientFault> {};

TEST_P(PipeRpcClientFault, CostsOnlyThatClientItsPipe) {
    const ClientFault& c = GetParam();
    listener.SetMaxRequest(4);
    listener.SetMaxResponse(10);
    listen("P", 3);
    auto link = transport.connect_client("P");
    if (c.request_size >= 0) {
        link->send(Message(c.request_size, 'x'));
    }
    link->client_closed = c.gone_at_once;
    transport.fail_next_create = c.replacement_fails ? kPipeNotEnoughMemory : 0;
    listener.Called = [&](int, ByteArray&, ByteArray& response) {
        if (c.handler == kThrows) {
            throw std::runtime_error("full");
        }
        link->client_closed = c.handler == kVanishes;
        response = ByteArray::of(Message(c.handler == kLongReply ? 11 : 10, 'z'));
    };
    tick();
    EXPECT_EQ(poll_errors, c.poll_errors);
    EXPECT_EQ(disconnected, c.disconnected);
    tick();  // a failed replacement instance is made again
    EXPECT_EQ(listener.IdleInstances(), 1);
    listener.Called = nullptr;
    auto next = transport.connect_client("P");
    next->send(bytes_of("x"));
    tick();
    EXPECT_EQ(next->to_client.size(), 1u);
}

const ClientFault kFaults[] = {
    {-1, true, false, kEcho, {"System error 109"}, {}},
    {5, false, false, kEcho, {"System error 234"}, {}},
    {-1, false, true, kEcho, {"Pipe #1, System error 8"}, {}},
    {1, false, false, kThrows, {"Pipe #0, the request handler failed: full"}, {{0, 5, 0}}},
    {1, false, false, kLongReply, {}, {{0, 5, 0}}},
    {1, false, false, kVanishes, {}, {{0, 7, 109}}}};
INSTANTIATE_TEST_SUITE_P(Faults, PipeRpcClientFault, ::testing::ValuesIn(kFaults));

}  // namespace
}  // namespace zelkon
