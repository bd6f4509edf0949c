#pragma once

#include <memory>
#include <vector>

#include "platform/pipe_transport.h"
#include "platform/unix_pipe_client.h"
#include "platform/unix_pipe_paths.h"

namespace zelkon {

// Pipes as SOCK_SEQPACKET Unix sockets in the user's private pipe folder; a
// pipe on another computer is reached through ssh and the listener's --dial.
class UnixPipeTransport : public PipeTransport {
  public:
    explicit UnixPipeTransport(UnixPipeConfig config) : config_(std::move(config)) {}

    std::unique_ptr<PipeEndpoint> listen(const std::string& name,
                                         const PipeEndpointOptions& options, int& error) override;
    std::unique_ptr<PipeConnection> open(const std::string& server, const std::string& name,
                                         int wait_ms, int& error) override;
    std::string last_open_failure() const override { return last_failure_; }
    void dial_ahead(const std::string& server, const std::string& name) override;
    void drop_dials_ahead() override { dials_ahead_.clear(); }

  private:
    std::unique_ptr<RemoteDial> take_dial_ahead(const std::string& server, const std::string& name);

    UnixPipeConfig config_;
    std::vector<std::unique_ptr<RemoteDial>> dials_ahead_;
    std::string last_failure_;
};

}  // namespace zelkon
