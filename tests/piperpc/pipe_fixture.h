#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "piperpc/pipe_rpc.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_pipe_transport.h"
#include "platform/fake/fake_services.h"

namespace zelkon {

// One listener and one client component on fake pipes and a simulated clock,
// with every event of the listener recorded.
class PipeFixture : public ::testing::Test {
  public:
    struct Disconnect {
        int pipe, reason, error;
        friend bool operator==(const Disconnect&, const Disconnect&) = default;
    };

    PipeFixture()
        : transport(clock), listener(transport, clock, name), client(transport, clock, name) {
        listener.Connected = [this](int pipe) { connected.push_back(pipe); };
        listener.Disconnected = [this](int pipe, int reason, int error) {
            disconnected.push_back({pipe, reason, error});
        };
        listener.Called = [this](int pipe, ByteArray& request, ByteArray& response) {
            calls.push_back(pipe);
            // Echoes the request, unless a test set a fixed reply.
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
    void address_client(const std::string& pipe_name = "P") { client.SetPipeName(pipe_name); }
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

// Runs the action and returns the raised error; fails the test if none is raised.
template <typename Action>
ZelkonError raised_by(Action action) {
    try {
        action();
    } catch (const ZelkonError& error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return ZelkonError(0, "");
}

inline Message bytes_of(const std::string& text) {
    return Message(text.begin(), text.end());
}

}  // namespace zelkon
