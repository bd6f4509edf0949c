#include "platform/pipe_frames.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/pipe_transport.h"

namespace zelkon {
namespace {

std::array<std::uint8_t, 4> encode_length(std::uint32_t length) {
    return {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
}

bool read_length(int fd, std::uint32_t& length) {
    std::array<std::uint8_t, 4> header{};
    if (!read_exactly(fd, header.data(), header.size())) {
        return false;
    }
    length = header[0] | (header[1] << 8) | (header[2] << 16) |
             (static_cast<std::uint32_t>(header[3]) << 24);
    return true;
}

bool skip(int fd, std::size_t size) {
    std::array<std::uint8_t, 4096> scratch{};
    while (size > 0) {
        std::size_t part = std::min(size, scratch.size());
        if (!read_exactly(fd, scratch.data(), part)) {
            return false;
        }
        size -= part;
    }
    return true;
}

}  // namespace

bool read_exactly(int fd, std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t got = read(fd, data, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool write_exactly(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        // send() on sockets, so that a closed peer gives EPIPE, not SIGPIPE.
        ssize_t put = send(fd, data, size, MSG_NOSIGNAL);
        if (put < 0 && errno == ENOTSOCK) {
            put = write(fd, data, size);
        }
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

int write_frame(int fd, std::span<const std::uint8_t> message) {
    // One buffer, one write for small messages: a frame is never split by us.
    std::vector<std::uint8_t> frame;
    frame.reserve(4 + message.size());
    auto header = encode_length(static_cast<std::uint32_t>(message.size()));
    frame.insert(frame.end(), header.begin(), header.end());
    frame.insert(frame.end(), message.begin(), message.end());
    return write_exactly(fd, frame.data(), frame.size()) ? 0 : kPipeBrokenPipe;
}

int read_frame(int fd, std::vector<std::uint8_t>& message, std::size_t max_size) {
    std::uint32_t length = 0;
    if (!read_length(fd, length)) {
        return kPipeBrokenPipe;
    }
    if (length > max_size) {
        return kPipeMoreData;
    }
    message.resize(length);
    return read_exactly(fd, message.data(), length) ? 0 : kPipeBrokenPipe;
}

int read_frame_into(int fd, std::span<std::uint8_t> buffer, std::size_t& received) {
    std::uint32_t length = 0;
    received = 0;
    if (!read_length(fd, length)) {
        return kPipeBrokenPipe;
    }
    std::size_t kept = std::min<std::size_t>(length, buffer.size());
    if (!read_exactly(fd, buffer.data(), kept) || !skip(fd, length - kept)) {
        return kPipeBrokenPipe;
    }
    received = kept;
    return length > buffer.size() ? kPipeMoreData : 0;
}

}  // namespace zelkon
