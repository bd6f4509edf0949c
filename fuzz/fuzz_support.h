#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zelkon::fuzz {

// The fuzz input as text: any bytes, NUL and invalid UTF-8 included.
inline std::string text_of(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// A broken promise of a reader is a finding: aborting makes libFuzzer keep
// the input that broke it.
inline void require(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "fuzz: broken promise: %s\n", promise);
        std::abort();
    }
}

}  // namespace zelkon::fuzz
