#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkon {

// Pipe messages of the controller are UTF-16LE text with no terminator.
// Text here is UTF-8; malformed input becomes U+FFFD rather than being lost.
std::vector<std::uint8_t> to_utf16le(const std::string& text);
std::string from_utf16le(const std::vector<std::uint8_t>& bytes);

}  // namespace zelkon
