// The length-prefixed frames of `--dial`: what the listener's bridge reads
// from ssh, and what the controller reads back as replies.
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <vector>

#include "fuzz_support.h"
#include "platform/pipe_frames.h"
#include "platform/pipe_transport.h"

using namespace zelkon;

namespace {

// As the bridge takes frames, and as the controller's 256-byte reply buffer does.
constexpr std::size_t kLargestMessage = 256 * 1024;
constexpr std::size_t kReplyBuffer = 256;

// A descriptor that reads the input from its start, or -1.
int stream_of(const std::uint8_t* data, std::size_t size) {
    int fd = memfd_create("fuzz-frames", MFD_CLOEXEC);
    if (fd >= 0 && (!write_exactly(fd, data, size) || lseek(fd, 0, SEEK_SET) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

void read_messages(int fd) {
    std::vector<std::uint8_t> message;
    int code = 0;
    while ((code = read_frame(fd, message, kLargestMessage)) == 0) {
        fuzz::require(message.size() <= kLargestMessage, "a message is no longer than allowed");
    }
    fuzz::require(code == kPipeBrokenPipe || code == kPipeMoreData, "a stream ends with a code");
}

void read_replies(int fd) {
    std::array<std::uint8_t, kReplyBuffer> reply{};
    std::size_t received = 0;
    int code = 0;
    while ((code = read_frame_into(fd, reply, received)) == 0 || code == kPipeMoreData) {
        fuzz::require(received <= reply.size(), "a reply fits its buffer");
    }
    fuzz::require(code == kPipeBrokenPipe && received == 0, "the end keeps nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    int fd = stream_of(data, size);
    fuzz::require(fd >= 0, "the input can be made a stream");
    read_messages(fd);
    fuzz::require(lseek(fd, 0, SEEK_SET) == 0, "the stream rewinds");
    read_replies(fd);
    close(fd);
    return 0;
}
