#include "pipe_fixture.h"

namespace zelkon {
namespace {

using PipeRpcListener = PipeFixture;

TEST_F(PipeRpcListener, ListenMakesOneWaitingInstance) {
    listen();
    EXPECT_EQ(listener.State(), PipeRPC::pstListening);
    EXPECT_EQ(listener.ListenPath(), "\\\\.\\pipe\\P");
    EXPECT_EQ(listener.IdleInstances(), 1);
    EXPECT_EQ(listener.InstanceSlots(), 1);
    EXPECT_EQ(transport.open_instances("P"), 1);
}

TEST_F(PipeRpcListener, SpecialTimeoutsBecome250) {
    for (int special : {0, 1, -1}) {
        listener.SetTimeout(special);
        listen();
        EXPECT_EQ(listener.Timeout(), 250);
        listener.ClosePipe();
    }
    listener.SetTimeout(2);
    listen();
    EXPECT_EQ(listener.Timeout(), 2);
}

TEST_F(PipeRpcListener, OneClientCapLeavesNoWaitingInstanceUntilItLeaves) {
    listen("P", 1);
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
    EXPECT_EQ(listener.IdleInstances(), 0);
    EXPECT_EQ(transport.open_instances("P"), 3);
    clients[1]->client_closed = true;
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{1, 2, 109}}));
    EXPECT_TRUE(listener.InstanceOpen(1));
    EXPECT_FALSE(listener.InstanceConnected(1));
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

TEST_F(PipeRpcListener, ARequestOfExactlyMaxRequestIsServedOneMoreIsRefused) {
    listener.SetMaxRequest(100);
    listen();
    auto link = transport.connect_client("P");
    link->send(Message(100, 'a'));
    tick();
    ASSERT_EQ(link->to_client.size(), 1u);
    EXPECT_EQ(link->take_reply().size(), 100u);
    link->send(Message(101, 'a'));
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 4, 234}}));
    EXPECT_TRUE(link->server_closed);
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpcListener, AStoredSizeBeyondItsRangeServesAsTheLargestAllowed) {
    MemoryPropertyBag bag;
    bag.values = {{"MaxRequest", "2000000000"}, {"PipeName", "P"}};
    listener.ReadProperties(bag);
    listener.Listen();
    fixed_reply = bytes_of("ok");
    auto link = transport.connect_client("P");
    link->send(Message(65536, 'a'));
    link->send(Message(65537, 'a'));
    tick();
    EXPECT_EQ(calls.size(), 1u);
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 4, 234}}));
}

TEST_F(PipeRpcListener, WithoutMultiPollTheSecondRequestWaitsForTheNextTick) {
    listen();
    auto link = transport.connect_client("P");
    link->send(bytes_of("one"));
    link->send(bytes_of("two"));
    tick();
    EXPECT_EQ(link->to_client.size(), 1u);
    tick();
    EXPECT_EQ(link->to_client.size(), 2u);
}

TEST_F(PipeRpcListener, WithMultiPollABurstIsDrainedInOneTick) {
    listener.SetMultiPoll(true);
    listen();
    auto link = transport.connect_client("P");
    for (int i = 0; i < 5; ++i) {
        link->send(bytes_of("r" + std::to_string(i)));
    }
    tick();
    EXPECT_EQ(link->to_client.size(), 5u);
}

TEST_F(PipeRpcListener, ARefusedPipeNameEndsListenWithThePipeError) {
    transport.fail_next_listen = kPipeInvalidName;
    try {
        listen("bad");
        FAIL() << "no error";
    } catch (const ZelkonError& error) {
        EXPECT_EQ(error.number(), PipeRPC::kErrPipeSystem);
        EXPECT_EQ(error.description(), "Pipe #0, System error 123");
    }
    EXPECT_EQ(listener.State(), PipeRPC::pstFree);
    listener.Listen();
    EXPECT_EQ(listener.State(), PipeRPC::pstListening);
}

TEST_F(PipeRpcListener, AFailedConnectOfTheFirstInstanceEndsListen) {
    transport.fail_next_connect = 5;
    listener.SetPipeName("P");
    try {
        listener.Listen();
        FAIL() << "no error";
    } catch (const ZelkonError& error) {
        EXPECT_EQ(error.description(), "System error 5");
    }
    EXPECT_EQ(listener.State(), PipeRPC::pstFree);
    EXPECT_EQ(transport.open_instances("P"), 0);
}

TEST_F(PipeRpcListener, ClosePipeDisconnectsClientsAndLeavesNothingOpen) {
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
    EXPECT_EQ(listener.IdleInstances(), 0);
    EXPECT_EQ(listener.InstanceSlots(), 1);
}

TEST_F(PipeRpcListener, TeardownClosesEveryInstanceOnce) {
    auto own = std::make_unique<PipeRPC>(transport, clock, name);
    own->SetPipeName("T");
    own->SetMaxClients(5);
    own->Listen();
    auto a = transport.connect_client("T");
    tick();
    int events = 0;
    own->Disconnected = [&](int, int reason, int) {
        ++events;
        EXPECT_EQ(reason, 3);
    };
    own.reset();
    EXPECT_EQ(events, 1);
    EXPECT_EQ(transport.open_instances("T"), 0);
}

// Points the component leaves open, settled so that nothing is lost.

TEST_F(PipeRpcListener, AZeroByteRequestAndAnEmptyReplyAreOrdinaryMessages) {
    listen();
    fixed_reply = Message{};
    auto link = transport.connect_client("P");
    link->send(Message{});
    tick();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].size(), 0);
    EXPECT_EQ(requests[0].ubound(), -1);
    ASSERT_EQ(link->to_client.size(), 1u);
    EXPECT_TRUE(link->take_reply().empty());
    EXPECT_FALSE(link->server_closed);
}

TEST_F(PipeRpcListener, AClientThatLeavesUnseenDoesNotStopTheListener) {
    listen("P", 2);
    auto gone = transport.connect_client("P");
    gone->client_closed = true;
    tick();
    EXPECT_EQ(poll_errors, std::vector<std::string>{"System error 109"});
    EXPECT_TRUE(connected.empty());
    EXPECT_EQ(listener.IdleInstances(), 1);
    auto next = transport.connect_client("P");
    next->send(bytes_of("hi"));
    tick();
    EXPECT_EQ(next->to_client.size(), 1u);
}

TEST_F(PipeRpcListener, AnOversizedFirstRequestDropsOnlyThatClient) {
    listener.SetMaxRequest(4);
    listen("P", 1);
    auto big = transport.connect_client("P");
    big->send(Message(5, 'x'));
    tick();
    EXPECT_EQ(poll_errors, std::vector<std::string>{"System error 234"});
    EXPECT_EQ(listener.IdleInstances(), 1);
    auto next = transport.connect_client("P");
    next->send(bytes_of("ok"));
    tick();
    EXPECT_EQ(next->to_client.size(), 1u);
}

TEST_F(PipeRpcListener, AFailedReplacementInstanceIsRetriedNextTick) {
    listen("P", 3);
    auto first = transport.connect_client("P");
    transport.fail_next_create = kPipeNotEnoughMemory;
    tick();
    EXPECT_EQ(connected, std::vector<int>{0});
    EXPECT_EQ(poll_errors, std::vector<std::string>{"Pipe #1, System error 8"});
    EXPECT_EQ(listener.IdleInstances(), 0);
    tick();
    EXPECT_EQ(listener.IdleInstances(), 1);
    auto second = transport.connect_client("P");
    second->send(bytes_of("hi"));
    tick();
    EXPECT_EQ(second->to_client.size(), 1u);
}

TEST_F(PipeRpcListener, AHandlerThatClosesThePipeStopsTheTickCleanly) {
    listener.SetMultiPoll(true);
    listen("P", 3);
    auto a = transport.connect_client("P");
    auto b = transport.connect_client("P");
    a->send(bytes_of("stop"));
    b->send(bytes_of("more"));
    listener.Called = [&](int pipe, ByteArray&, ByteArray& response) {
        calls.push_back(pipe);
        response = ByteArray::of(bytes_of("bye"));
        listener.ClosePipe();
    };
    tick();
    EXPECT_EQ(calls, std::vector<int>{0});
    EXPECT_EQ(listener.State(), PipeRPC::pstFree);
    EXPECT_EQ(transport.open_instances("P"), 0);
    tick();
    EXPECT_EQ(calls, std::vector<int>{0});
    listener.Called = nullptr;
    listener.Listen();
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpcListener, AHandlerThatClosesAndListensAgainLeavesOneHealthyListener) {
    listen("P", 2);
    auto a = transport.connect_client("P");
    a->send(bytes_of("x"));
    listener.Called = [&](int, ByteArray&, ByteArray& response) {
        response = ByteArray::of(bytes_of("y"));
        listener.ClosePipe();
        listener.Listen();
    };
    tick();
    EXPECT_EQ(listener.State(), PipeRPC::pstListening);
    EXPECT_EQ(transport.open_instances("P"), 1);
    listener.Called = nullptr;
    auto b = transport.connect_client("P");
    tick();
    EXPECT_EQ(listener.IdleInstances(), 1);
    EXPECT_TRUE(listener.InstanceConnected(0));
}

TEST_F(PipeRpcListener, AFailingHandlerCostsOnlyThatClientItsPipe) {
    listen("P", 2);
    auto a = transport.connect_client("P");
    a->send(bytes_of("boom"));
    listener.Called = [](int, ByteArray&, ByteArray&) { throw std::runtime_error("disk full"); };
    tick();
    EXPECT_EQ(poll_errors,
              std::vector<std::string>{"Pipe #0, the request handler failed: disk full"});
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 5, 0}}));
    EXPECT_TRUE(a->server_closed);
    listener.Called = [](int, ByteArray&, ByteArray& response) {
        response = ByteArray::of(bytes_of("fine"));
    };
    auto b = transport.connect_client("P");
    b->send(bytes_of("x"));
    tick();
    EXPECT_EQ(b->to_client.size(), 1u);
}

TEST_F(PipeRpcListener, AReplyLargerThanMaxResponseClosesTheInstance) {
    listener.SetMaxResponse(10);
    listen();
    fixed_reply = Message(11, 'z');
    auto link = transport.connect_client("P");
    link->send(bytes_of("x"));
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 5, 0}}));
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpcListener, AWriteToAVanishedClientIsReason7) {
    listen();
    auto link = transport.connect_client("P");
    link->send(bytes_of("x"));
    listener.Called = [&](int, ByteArray&, ByteArray& response) {
        link->client_closed = true;
        response = ByteArray::of(bytes_of("late"));
    };
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 7, 109}}));
}

}  // namespace
}  // namespace zelkon
