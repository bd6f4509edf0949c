#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zelkon {

// Messages on a byte stream (a remote pipe through ssh): each is a 4-byte
// little-endian length followed by that many bytes. These calls block.

// 0, or a pipe error code when the stream is closed or fails.
int write_frame(int fd, std::span<const std::uint8_t> message);

// Reads one frame into `message`; frames longer than max_size are refused with
// kPipeMoreData and the stream is then unusable. kPipeBrokenPipe at the end.
int read_frame(int fd, std::vector<std::uint8_t>& message, std::size_t max_size);

// Reads one frame into `buffer`; a longer frame fills it, the rest is skipped,
// and the result is kPipeMoreData. `received` is the count kept.
int read_frame_into(int fd, std::span<std::uint8_t> buffer, std::size_t& received);

// Whole reads and writes on a blocking descriptor; false at the end or on error.
bool read_exactly(int fd, std::uint8_t* data, std::size_t size);
bool write_exactly(int fd, const std::uint8_t* data, std::size_t size);

}  // namespace zelkon
