#include "platform/unix_pipe_transport.h"

#include "platform/unix_pipe_client.h"
#include "platform/unix_pipe_listener.h"

namespace zelkon {

std::unique_ptr<PipeEndpoint> UnixPipeTransport::listen(const std::string& name,
                                                        const PipeEndpointOptions& options,
                                                        int& error) {
    std::string path;
    error = pipe_socket_path(config_.folder, name, path);
    if (error == 0) {
        error = prepare_pipe_folder(config_.folder);
    }
    return error == 0 ? listen_on_unix_socket(path, options, error) : nullptr;
}

std::unique_ptr<PipeConnection> UnixPipeTransport::open(const std::string& server,
                                                        const std::string& name, int wait_ms,
                                                        int& error) {
    last_failure_.clear();
    if (server != ".") {
        return open_remote_pipe(config_.ssh, config_.dial_command, server, name, wait_ms, error,
                                last_failure_);
    }
    std::string path;
    error = pipe_socket_path(config_.folder, name, path);
    return error == 0 ? open_unix_socket(path, wait_ms, error) : nullptr;
}

}  // namespace zelkon
