#include "pipe_fixture.h"

namespace zelkon {
namespace {

using PipeRpcListener = PipeFixture;

TEST_F(PipeRpcListener, TimeoutsZeroOneAndMinusOneBecome250OnListen) {
    for (auto [set, used] : {std::pair{0, 250}, {1, 250}, {-1, 250}, {2, 2}}) {
        listener.SetTimeout(set);
        listen();
        EXPECT_EQ(listener.Timeout(), used) << set;
        listener.ClosePipe();
    }
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

TEST_F(PipeRpcListener, ThreeClientCapFillsSlotsInOrderAndReusesTheLowestFree) {
    listen("P", 3);
    std::vector<std::shared_ptr<FakePipeLink>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(transport.connect_client("P"));
        tick();
    }
    EXPECT_EQ(connected, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(listener.InstanceSlots(), 3);
    EXPECT_EQ(transport.open_instances("P"), 3);
    clients[1]->client_closed = true;
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{1, 2, 109}}));
    auto next = transport.connect_client("P");
    next->send(bytes_of("hi"));
    tick();
    EXPECT_EQ(calls, std::vector<int>{1});
}

TEST_F(PipeRpcListener, Cap255MeansNoCap) {
    listen("P", 255);
    std::vector<std::shared_ptr<FakePipeLink>> clients;
    for (int i = 0; i < 300; ++i) {
        clients.push_back(transport.connect_client("P"));
    }
    tick();
    EXPECT_EQ(connected.size(), 300u);
    EXPECT_EQ(listener.IdleInstances(), 1);
    EXPECT_EQ(transport.refused_clients, 0);
}

// A stored size beyond the range serves as the largest allowed.
TEST_F(PipeRpcListener, ARequestOfExactlyMaxRequestIsServedOneMoreIsRefused) {
    fixed_reply = bytes_of("ok");
    for (auto [stored, limit] : {std::pair{"100", 100}, {"2000000000", 65536}}) {
        MemoryPropertyBag bag;
        bag.values = {{"MaxRequest", stored}, {"PipeName", "P"}};
        listener.ReadProperties(bag);
        listener.Listen();
        auto link = transport.connect_client("P");
        link->send(Message(limit, 'a'));
        tick();
        ASSERT_EQ(link->to_client.size(), 1u) << stored;
        EXPECT_EQ(requests.back().size(), limit);
        link->send(Message(limit + 1, 'a'));
        tick();
        EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 4, 234}}));
        EXPECT_TRUE(link->server_closed);
        EXPECT_EQ(listener.IdleInstances(), 1);
        listener.ClosePipe();
        disconnected.clear();
    }
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
    own->SetMaxClients(5);
    own->Listen();
    auto c = transport.connect_client("T");
    tick();
    std::vector<int> reasons;
    own->Disconnected = [&](int, int reason, int) { reasons.push_back(reason); };
    own.reset();
    EXPECT_EQ(reasons, std::vector<int>{3});
    EXPECT_EQ(transport.open_instances("T"), 0);
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

TEST_F(PipeRpcListener, AHandlerThatClosesThePipeCannotCorruptTheTables) {
    listener.SetMultiPoll(true);
    listen("P", 3);
    auto a = transport.connect_client("P");
    auto b = transport.connect_client("P");
    a->send(bytes_of("stop"));
    b->send(bytes_of("more"));
    listener.Called = [&](int pipe, ByteArray&, ByteArray&) {
        calls.push_back(pipe);
        listener.ClosePipe();
    };
    tick();
    tick();
    EXPECT_EQ(calls, std::vector<int>{0});
    EXPECT_EQ(listener.State(), PipeRPC::pstFree);
    EXPECT_EQ(transport.open_instances("P"), 0);
    // Closing and listening again from the handler leaves one healthy listener.
    listen("P", 3);
    auto c = transport.connect_client("P");
    c->send(bytes_of("x"));
    listener.Called = [&](int, ByteArray&, ByteArray&) {
        listener.ClosePipe();
        listener.Listen();
    };
    tick();
    listener.Called = nullptr;
    EXPECT_EQ(transport.open_instances("P"), 1);
    auto d = transport.connect_client("P");
    tick();
    EXPECT_EQ(listener.IdleInstances(), 1);
    EXPECT_TRUE(listener.InstanceConnected(0));
}

}  // namespace
}  // namespace zelkon
