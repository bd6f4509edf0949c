#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstddef>

namespace zelkon {

// N different ports nothing listens on now (all bound before any is let go).
template <std::size_t N>
std::array<int, N> free_ports() {
    std::array<int, N> fds{};
    std::array<int, N> ports{};
    for (std::size_t i = 0; i < N; ++i) {
        fds[i] = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t size = sizeof address;
        bind(fds[i], reinterpret_cast<sockaddr*>(&address), size);
        getsockname(fds[i], reinterpret_cast<sockaddr*>(&address), &size);
        ports[i] = ntohs(address.sin_port);
    }
    for (int fd : fds) {
        close(fd);
    }
    return ports;
}

}  // namespace zelkon
