#include "platform/fake/fake_pipe_transport.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zelkon {
namespace {

// The simulated wait of a call that has no limit, so a test cannot hang.
constexpr std::int64_t kLongestWaitMs = 60'000;

class FakeInstance : public PipeInstance {
  public:
    FakeInstance(std::shared_ptr<FakePipe> pipe, FakePipeTransport& transport)
        : pipe_(std::move(pipe)), transport_(transport) {
        ++pipe_->waiting_instances;
        ++pipe_->open_instances;
    }
    ~FakeInstance() override {
        if (link_) {
            link_->server_closed = true;
        } else {
            --pipe_->waiting_instances;
        }
        --pipe_->open_instances;
    }

    int connect() override {
        if (transport_.fail_next_connect != 0) {
            return std::exchange(transport_.fail_next_connect, 0);
        }
        return link_ ? kPipeConnected : kPipeListening;
    }

    PipeIo read(std::span<std::uint8_t> buffer) override {
        if (!link_ && !take_pending()) {
            return {kPipeListening, 0};
        }
        if (link_->to_server.empty()) {
            return {link_->client_closed ? kPipeBrokenPipe : kPipeNoData, 0};
        }
        Message message = std::move(link_->to_server.front());
        link_->to_server.pop_front();
        if (message.size() > buffer.size()) {
            return {kPipeMoreData, buffer.size()};
        }
        std::copy(message.begin(), message.end(), buffer.begin());
        return {0, message.size()};
    }

    PipeIo write(std::span<const std::uint8_t> message) override {
        if (!link_ || link_->client_closed) {
            return {kPipeBrokenPipe, 0};
        }
        if (message.size() > pipe_->max_reply) {
            return {0, 0};
        }
        link_->to_client.emplace_back(message.begin(), message.end());
        return {0, message.size()};
    }

    int flush() override { return 0; }

    int disconnect() override {
        if (link_) {
            link_->server_closed = true;
        }
        return 0;
    }

  private:
    bool take_pending() {
        if (pipe_->pending.empty()) {
            return false;
        }
        link_ = pipe_->pending.front();
        pipe_->pending.pop_front();
        link_->accepted = true;
        --pipe_->waiting_instances;
        return true;
    }

    std::shared_ptr<FakePipe> pipe_;
    FakePipeTransport& transport_;
    std::shared_ptr<FakePipeLink> link_;
};

class FakeEndpoint : public PipeEndpoint {
  public:
    FakeEndpoint(std::shared_ptr<FakePipe> pipe, FakePipeTransport& transport)
        : pipe_(std::move(pipe)), transport_(transport) {}
    ~FakeEndpoint() override {
        pipe_->listening = false;
        for (auto& link : pipe_->pending) {
            link->server_closed = true;
        }
        pipe_->pending.clear();
    }

    std::unique_ptr<PipeInstance> create_instance(int& error) override {
        if (transport_.fail_next_create != 0) {
            error = std::exchange(transport_.fail_next_create, 0);
            return nullptr;
        }
        return std::make_unique<FakeInstance>(pipe_, transport_);
    }

    void refuse_unserved() override {
        if (pipe_->waiting_instances > 0) {
            return;
        }
        for (auto& link : pipe_->pending) {
            link->refused = true;
            ++transport_.refused_clients;
        }
        pipe_->pending.clear();
    }

    void set_activity_handler(std::function<void()>) override {}

  private:
    std::shared_ptr<FakePipe> pipe_;
    FakePipeTransport& transport_;
};

class FakeConnection : public PipeConnection {
  public:
    FakeConnection(std::shared_ptr<FakePipeLink> link, FakePipeTransport& transport)
        : link_(std::move(link)), transport_(transport) {}
    ~FakeConnection() override { link_->client_closed = true; }

    PipeIo transact(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply) override {
        if (link_->server_closed) {
            return {kPipeBrokenPipe, 0};
        }
        link_->send(Message(request.begin(), request.end()));
        auto answered = [this] { return !link_->to_client.empty() || link_->server_closed; };
        if (!transport_.advance_until(answered, kLongestWaitMs) || link_->to_client.empty()) {
            return {kPipeBrokenPipe, 0};
        }
        Message message = link_->take_reply();
        std::size_t count = std::min(message.size(), reply.size());
        std::copy_n(message.begin(), count, reply.begin());
        return {message.size() > reply.size() ? kPipeMoreData : 0, count};
    }

  private:
    std::shared_ptr<FakePipeLink> link_;
    FakePipeTransport& transport_;
};

}  // namespace

std::shared_ptr<FakePipe> FakePipeTransport::find(const std::string& name) const {
    auto it = pipes_.find(name);
    return it == pipes_.end() || !it->second->listening ? nullptr : it->second;
}

std::unique_ptr<PipeEndpoint> FakePipeTransport::listen(const std::string& name,
                                                        const PipeEndpointOptions& options,
                                                        int& error) {
    if (fail_next_listen != 0) {
        error = std::exchange(fail_next_listen, 0);
        return nullptr;
    }
    if (find(name)) {
        error = kPipeAccessDenied;
        return nullptr;
    }
    auto pipe = std::make_shared<FakePipe>();
    pipe->max_reply = options.max_reply;
    pipes_[name] = pipe;
    return std::make_unique<FakeEndpoint>(pipe, *this);
}

std::shared_ptr<FakePipeLink> FakePipeTransport::connect_client(const std::string& name) {
    auto pipe = find(name);
    if (!pipe) {
        return nullptr;
    }
    auto link = std::make_shared<FakePipeLink>();
    pipe->pending.push_back(link);
    return link;
}

bool FakePipeTransport::advance_until(const std::function<bool()>& condition,
                                      std::int64_t limit_ms) {
    for (std::int64_t waited = 0; !condition(); ++waited) {
        if (waited >= limit_ms) {
            return false;
        }
        clock_.advance(1);
    }
    return true;
}

std::unique_ptr<PipeConnection> FakePipeTransport::open(const std::string& server,
                                                        const std::string& name, int wait_ms,
                                                        int& error) {
    servers_opened.push_back(server);
    if (server != ".") {
        reached.push_back("open " + server);
    }
    if (auto dial = dials_ahead.find(server); dial != dials_ahead.end() && --dial->second == 0) {
        dials_ahead.erase(dial);
    }
    last_failure_.clear();
    if (auto down = unreachable.find(server); down != unreachable.end()) {
        last_failure_ = down->second;
        error = kPipeFileNotFound;
        return nullptr;
    }
    std::int64_t limit = wait_ms == 0 ? 250 : wait_ms < 0 ? kLongestWaitMs : wait_ms;
    std::int64_t deadline = clock_.tick_ms() + limit;
    error = kPipeFileNotFound;
    // Only this computer's pipes exist here, and those a test serves for another.
    std::string local_name = name;
    if (server != ".") {
        auto remote = remote_pipes.find(server);
        if (remote == remote_pipes.end()) {
            return nullptr;
        }
        local_name = remote->second + name;
    }
    while (find(local_name)) {
        auto link = connect_client(local_name);
        auto settled = [&] { return link->accepted || link->refused || link->server_closed; };
        advance_until(settled, std::max<std::int64_t>(deadline - clock_.tick_ms(), 0));
        if (link->accepted) {
            error = 0;
            return std::make_unique<FakeConnection>(link, *this);
        }
        link->client_closed = true;
        error = kPipeTimeout;
        if (clock_.tick_ms() >= deadline) {
            auto pipe = find(local_name);
            if (pipe) {
                std::erase(pipe->pending, link);
            }
            break;
        }
        clock_.advance(1);
    }
    return nullptr;
}

int FakePipeTransport::open_instances(const std::string& name) const {
    auto it = pipes_.find(name);
    return it == pipes_.end() ? 0 : it->second->open_instances;
}

int FakePipeTransport::waiting_instances(const std::string& name) const {
    auto it = pipes_.find(name);
    return it == pipes_.end() ? 0 : it->second->waiting_instances;
}

bool FakePipeTransport::is_listening(const std::string& name) const {
    return find(name) != nullptr;
}

}  // namespace zelkon
