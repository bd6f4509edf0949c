#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/pipe_transport.h"

namespace zelkon {

using Message = std::vector<std::uint8_t>;

// The two directions of one client's connection to a fake pipe.
struct FakePipeLink {
    std::deque<Message> to_server;
    std::deque<Message> to_client;
    bool accepted = false;  // an instance took the client ("READY")
    bool refused = false;   // the pipe was busy ("BUSY")
    bool client_closed = false;
    bool server_closed = false;

    void send(Message message) { to_server.push_back(std::move(message)); }
    Message take_reply() {
        Message reply = std::move(to_client.front());
        to_client.pop_front();
        return reply;
    }
};

// One pipe name that a fake endpoint listens on.
struct FakePipe {
    std::deque<std::shared_ptr<FakePipeLink>> pending;
    int waiting_instances = 0;
    int open_instances = 0;
    std::size_t max_reply = 1024;
    bool listening = true;
};

// Pipes in memory, on a simulated clock. The component's own client calls
// move the clock on, one millisecond at a time, until the listener answers,
// so that a client and a listener run in one test on one thread. Tests may
// also connect clients that they drive by hand.
class FakePipeTransport : public PipeTransport {
  public:
    explicit FakePipeTransport(FakeClock& clock) : clock_(clock) {}

    std::unique_ptr<PipeEndpoint> listen(const std::string& name,
                                         const PipeEndpointOptions& options, int& error) override;
    std::unique_ptr<PipeConnection> open(const std::string& server, const std::string& name,
                                         int wait_ms, int& error) override;
    std::string last_open_failure() const override { return last_failure_; }
    void dial_ahead(const std::string& server, const std::string& /*name*/) override {
        reached.push_back("ahead " + server);
        dials_ahead[server] += 1;
    }
    void drop_dials_ahead() override { dials_ahead.clear(); }

    // A client driven by the test; null when nothing listens on the name.
    std::shared_ptr<FakePipeLink> connect_client(const std::string& name);
    // Instances of the pipe not yet closed, waiting or connected.
    int open_instances(const std::string& name) const;
    int waiting_instances(const std::string& name) const;
    bool is_listening(const std::string& name) const;
    // Moves the clock on until the condition holds or limit_ms have passed.
    bool advance_until(const std::function<bool()>& condition, std::int64_t limit_ms);

    // Failures to inject: the next call of that kind fails with the code.
    int fail_next_listen = 0;
    int fail_next_create = 0;
    int fail_next_connect = 0;
    int refused_clients = 0;
    std::vector<std::string> servers_opened;  // every server an open() was for
    // Every other computer's pipe dialled ahead ("ahead S") or opened ("open S"), in order.
    std::vector<std::string> reached;
    std::map<std::string, int> dials_ahead;  // per server, begun and not yet taken up
    // Other computers whose pipes a test serves here: a pipe NAME on server S
    // is the pipe remote_pipes[S] + NAME of this transport.
    std::map<std::string, std::string> remote_pipes;
    // Other computers that cannot be reached, with what ssh would say of them.
    std::map<std::string, std::string> unreachable;

  private:
    std::shared_ptr<FakePipe> find(const std::string& name) const;

    FakeClock& clock_;
    std::map<std::string, std::shared_ptr<FakePipe>> pipes_;
    std::string last_failure_;
};

}  // namespace zelkon
