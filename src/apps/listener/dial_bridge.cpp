#include "apps/listener/dial_bridge.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

#include "platform/owned_fd.h"
#include "platform/peer_closed.h"
#include "platform/pipe_frames.h"
#include "platform/pipe_transport.h"

namespace zelkon {
namespace {

// Larger than any message a Unix socket carries in one piece.
constexpr std::size_t kLargestMessage = 256 * 1024;

OwnedFd connect_socket(const std::string& path) {
    OwnedFd fd(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        return fd;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        int code = errno;
        fd.reset();
        errno = code;
    }
    return fd;
}

// One socket message to standard output; false when either side has ended.
bool relay_from_socket(int socket_fd, std::vector<std::uint8_t>& buffer) {
    ssize_t got;
    do {
        got = recv(socket_fd, buffer.data(), buffer.size(), 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0 || (got == 0 && peer_has_closed(socket_fd))) {
        return false;
    }
    return write_frame(STDOUT_FILENO, {buffer.data(), static_cast<std::size_t>(got)}) == 0;
}

// One frame of standard input to the socket: 0 to go on, 1 at its end, 2 on bad input.
int relay_to_socket(int socket_fd) {
    std::vector<std::uint8_t> message;
    int code = read_frame(STDIN_FILENO, message, kLargestMessage);
    if (code == kPipeMoreData) {
        return 2;
    }
    if (code != 0) {
        return 1;
    }
    ssize_t put;
    do {
        put = send(socket_fd, message.data(), message.size(), MSG_NOSIGNAL);
    } while (put < 0 && errno == EINTR);
    return put < 0 ? 1 : 0;
}

int relay(int socket_fd) {
    std::vector<std::uint8_t> buffer(kLargestMessage);
    pollfd entries[2] = {{STDIN_FILENO, POLLIN, 0}, {socket_fd, POLLIN, 0}};
    while (true) {
        if (poll(entries, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 1;
        }
        if (entries[1].revents != 0 && !relay_from_socket(socket_fd, buffer)) {
            return 0;
        }
        if (entries[0].revents != 0) {
            int step = relay_to_socket(socket_fd);
            if (step == 2) {
                std::cerr << "zelkon-listener: --dial: the input is not length-prefixed frames"
                          << std::endl;
                return 1;
            }
            if (step == 1) {
                return 0;
            }
        }
    }
}

}  // namespace

int run_dial_bridge(const std::string& path, const std::string& name) {
    OwnedFd socket_fd = connect_socket(path);
    if (!socket_fd.valid()) {
        std::cerr << "zelkon-listener: --dial: no listener on pipe \"" << name << "\" (" << path
                  << "): " << std::strerror(errno) << std::endl;
        return 1;
    }
    return relay(socket_fd.get());
}

}  // namespace zelkon
