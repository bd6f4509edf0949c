#pragma once

#include <string>

namespace zelkon {

// Joins standard input and output to the local pipe socket at `path`, for a
// client on another computer that runs us through ssh: every socket message
// becomes a 4-byte little-endian length and the bytes on standard output, and
// every such frame on standard input becomes one message. Returns the exit
// status: 0 when either side ends, 1 when the pipe cannot be reached or the
// input is not frames.
int run_dial_bridge(const std::string& path, const std::string& name);

}  // namespace zelkon
