// The pipe component on fake pipes, and the service the listener program gives through it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "apps/listener/disconnect_text.h"
#include "apps/listener/listener_service.h"
#include "piperpc/pipe_rpc.h"
#include "piperpc/utf16.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_pipe_transport.h"
#include "platform/fake/fake_process_starter.h"
#include "platform/fake/fake_services.h"

namespace zelkon {
namespace {

// A listener and a client on fake pipes and a simulated clock; the listener's events recorded.
class PipeRpc : public ::testing::Test {
  public:
    using Disconnect = std::tuple<int, int, int>;  // pipe, reason, error

    PipeRpc() : transport(clock), listener(transport, clock, name), client(transport, clock, name) {
        listener.Connected = [this](int pipe) { connected.push_back(pipe); };
        listener.Disconnected = [this](int pipe, int reason, int error) {
            disconnected.push_back({pipe, reason, error});
        };
        // Echoes the request, unless a test set a fixed reply.
        listener.Called = [this](int pipe, ByteArray& request, ByteArray& response) {
            calls.push_back(pipe);
            response = ByteArray::of(fixed_reply ? *fixed_reply : request.bytes);
        };
        listener.PollError = [this](const ZelkonError& error) {
            poll_errors.push_back(error.description());
        };
    }

    void listen(const std::string& pipe_name = "P", int max_clients = 1) {
        listener.SetPipeName(pipe_name);
        listener.SetMaxClients(static_cast<std::int16_t>(max_clients));
        listener.Listen();
    }
    void tick() { clock.advance(PipeRPC::kPollIntervalMs); }

    FakeClock clock;
    FakeComputerName name;
    FakePipeTransport transport;
    // The records outlive the components, whose teardown still raises events.
    std::optional<Message> fixed_reply;
    std::vector<int> connected;
    std::vector<Disconnect> disconnected;
    std::vector<int> calls;
    std::vector<std::string> poll_errors;
    PipeRPC listener;
    PipeRPC client;
};

Message bytes_of(const std::string& text) {
    return Message(text.begin(), text.end());
}

// A slot a client leaves waits again as Disconnected is raised; the lowest free one is taken.
TEST_F(PipeRpc, TheCapRefusesClientsBeyondItAndAFreedSlotIsTakenAgain) {
    listen("P", 2);
    auto first = transport.connect_client("P");
    auto second = transport.connect_client("P");
    tick();
    EXPECT_EQ(connected, (std::vector<int>{0, 1}));
    EXPECT_EQ(listener.IdleInstances(), 0);
    auto third = transport.connect_client("P");
    tick();
    EXPECT_TRUE(third->refused);
    bool waiting_at_event = false;
    listener.Disconnected = [&](int pipe, int reason, int error) {
        waiting_at_event = listener.InstanceOpen(0) && !listener.InstanceConnected(0);
        disconnected.push_back({pipe, reason, error});
    };
    first->client_closed = true;
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}}));
    EXPECT_TRUE(waiting_at_event);
    auto next = transport.connect_client("P");
    next->send(bytes_of("hi"));
    tick();
    EXPECT_EQ(calls, std::vector<int>{0});
}

TEST_F(PipeRpc, ARequestOfExactlyMaxRequestIsServedOneMoreIsRefused) {
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

TEST_F(PipeRpc, AFailureToSetUpTheFirstInstanceEndsListen) {
    for (auto [inject, text] : {std::pair{&transport.fail_next_listen, "Pipe #0, System error 123"},
                                {&transport.fail_next_connect, "System error 123"}}) {
        *inject = kPipeInvalidName;
        try {
            listen();
            ADD_FAILURE() << "listens";
        } catch (const ZelkonError& error) {
            EXPECT_EQ(error.number(), PipeRPC::kErrPipeSystem);
            EXPECT_EQ(error.description(), text);
        }
        EXPECT_EQ(transport.open_instances("P"), 0);
    }
    listen();
    EXPECT_EQ(listener.IdleInstances(), 1);
}

TEST_F(PipeRpc, ClosePipeAndTeardownDisconnectEveryClientOnce) {
    listen("P", 3);
    auto a = transport.connect_client("P");
    auto b = transport.connect_client("P");
    tick();
    listener.ClosePipe();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 3, 0}, {1, 3, 0}}));
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
enum Handler { kEcho, kThrows, kVanishes };
struct ClientFault {
    int request_size;  // -1: none
    bool gone_at_once, replacement_fails;
    Handler handler;
    std::vector<std::string> poll_errors;
    std::vector<PipeRpc::Disconnect> disconnected;
};

class PipeRpcClientFault : public PipeRpc, public ::testing::WithParamInterface<ClientFault> {};

TEST_P(PipeRpcClientFault, CostsOnlyThatClientItsPipe) {
    const ClientFault& c = GetParam();
    listener.SetMaxRequest(4);
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
        response = ByteArray::of(Message(10, 'z'));
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
    {1, false, false, kVanishes, {}, {{0, 7, 109}}}};
INSTANTIATE_TEST_SUITE_P(Faults, PipeRpcClientFault, ::testing::ValuesIn(kFaults));

// The response keeps its lower bound; a longer reply gives its first bytes and 234.
TEST_F(PipeRpc, TheClientsResponseTakesTheReplyWithinItsBounds) {
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
    client.SetPipeName("P");
    ASSERT_EQ(client.OpenPipe(), 0);
    for (const Case& c : cases) {
        fixed_reply = Message(c.reply);
        for (std::size_t i = 0; i < c.reply; ++i) {
            (*fixed_reply)[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        ByteArray request = ByteArray::of(bytes_of("x"));
        ByteArray response = ByteArray::with_bounds(c.lower, c.upper);
        EXPECT_EQ(client.PipeCall(request, response), c.code) << c.reply;
        EXPECT_EQ(response.lbound(), c.lower);
        EXPECT_EQ(response.ubound(), c.new_upper);
        EXPECT_EQ(response.bytes,
                  Message(fixed_reply->begin(), fixed_reply->begin() + response.size()));
    }
}

// With nobody listening the transport's reason comes back.
TEST_F(PipeRpc, EveryWayOfClosingTheClientClosesThePipeOnce) {
    client.SetPipeName("nobody");
    ByteArray request = ByteArray::of(bytes_of("hello"));
    ByteArray response = ByteArray::with_bounds(0, 255);
    EXPECT_EQ(client.OpenPipe(), kPipeFileNotFound);
    EXPECT_EQ(client.PipeCall(request, response), kPipeFileNotFound);
    client.ClosePipe();
    listen("P", 3);
    client.SetPipeName("P");
    ASSERT_EQ(client.PipeCall(request, response), 0);
    EXPECT_EQ(response.bytes, bytes_of("hello"));
    tick();
    ASSERT_EQ(client.OpenPipe(), 0);
    client.ClosePipe();
    client.ClosePipe();
    {
        PipeRPC other(transport, clock, name);
        other.SetPipeName("P");
        ASSERT_EQ(other.OpenPipe(), 0);
    }
    tick();
    EXPECT_EQ(disconnected, (std::vector<Disconnect>{{0, 2, 109}, {1, 2, 109}, {0, 2, 109}}));
    EXPECT_EQ(transport.open_instances("P"), 1);
}

TEST_F(PipeRpc, AClientWaitsItsWholeTimeoutForABusyPipe) {
    listen("P", 1);
    auto first = transport.connect_client("P");
    tick();
    client.SetPipeName("P");
    client.SetTimeout(100);
    std::int64_t start = clock.tick_ms();
    EXPECT_EQ(client.OpenPipe(), kPipeTimeout);
    EXPECT_GE(clock.tick_ms() - start, 100);
    EXPECT_GT(transport.refused_clients, 0);
}

class ListenerServiceTest : public ::testing::Test {
  protected:
    std::string ask(const std::vector<std::uint8_t>& request) {
        return from_utf16le(service.answer(2, request));
    }

    FakeProcessStarter processes;
    FakeComputerName name;
    FakeClock clock;
    std::ostringstream log;
    ListenerService service{processes, name, clock, log, 6};
};

// Answers and started commands are shown by the program tests; this is what they cannot do.
TEST_F(ListenerServiceTest, AFailedStartIsReportedInAReplyTheControllerCanHold) {
    processes.fail_starts = true;
    std::vector<std::uint8_t> reply = service.answer(0, to_utf16le(std::string(400, 'x')));
    EXPECT_EQ(from_utf16le(reply).rfind("Error: ", 0), 0u);
    EXPECT_LE(reply.size(), 256u);
}

// Nothing, odd bytes, a lone surrogate, a tab (the shell would split there), a delete.
TEST_F(ListenerServiceTest, BytesThatAreNotTextNeverReachTheShell) {
    for (const std::vector<std::uint8_t>& request :
         std::vector<std::vector<std::uint8_t>>{{},
                                                {'l', 0, 's'},
                                                {0x00, 0xD8, 'x', 0},
                                                {'l', 0, 's', 0, '\t', 0, '/', 0},
                                                {'l', 0, 's', 0, 0x7f, 0}}) {
        EXPECT_EQ(ask(request).rfind("Error: ", 0), 0u);
    }
    EXPECT_TRUE(processes.started.empty());
}

TEST_F(ListenerServiceTest, EachRequestIsOneLogLineWithItsTimeAndReply) {
    ask(to_utf16le("Num pipes:"));
    ask(to_utf16le("x\n2026-12-06 00:00:00 forged"));
    std::string text = log.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.rfind("2026-12-0", 0), 0u) << text;
    EXPECT_NE(text.find("pipe 2: Num pipes: -> Server: CONTROL1 Max pipes: 6\n"), std::string::npos)
        << text;
}

// The listener's log line for a client that went: closing its end is the
// ordinary way; any other end gives its reason and the system's word.
TEST(DisconnectText, TellsAnOrdinaryCloseFromEveryOtherEnd) {
    EXPECT_EQ(disconnect_text(PipeRPC::kReasonClientGone, kPipeBrokenPipe), "client closed");
    EXPECT_NE(disconnect_text(PipeRPC::kReasonClientGone, 0), "client closed");
    EXPECT_EQ(disconnect_text(PipeRPC::kReasonReadFailed, 0),
              "dropped: the request could not be read");
}

}  // namespace
}  // namespace zelkon
