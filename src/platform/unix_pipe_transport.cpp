#include "platform/unix_pipe_transport.h"

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
                                last_failure_, take_dial_ahead(server, name));
    }
    std::string path;
    error = pipe_socket_path(config_.folder, name, path);
    return error == 0 ? open_unix_socket(path, wait_ms, error) : nullptr;
}

void UnixPipeTransport::dial_ahead(const std::string& server, const std::string& name) {
    if (server == ".") {
        return;  // a local pipe opens at once
    }
    if (auto dial = begin_remote_dial(config_.ssh, config_.dial_command, server, name)) {
        dials_ahead_.push_back(std::move(dial));
    }
}

std::unique_ptr<RemoteDial> UnixPipeTransport::take_dial_ahead(const std::string& server,
                                                               const std::string& name) {
    for (auto dial = dials_ahead_.begin(); dial != dials_ahead_.end(); ++dial) {
        if ((*dial)->host == server && (*dial)->name == name) {
            std::unique_ptr<RemoteDial> taken = std::move(*dial);
            dials_ahead_.erase(dial);
            return taken;
        }
    }
    return nullptr;
}

}  // namespace zelkon
