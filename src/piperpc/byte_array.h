#pragma once

#include <cstdint>
#include <vector>

namespace zelkon {

// A pipe message: bytes indexed from a lower bound of the caller's choosing,
// which resizing keeps. Empty when ubound() is lbound() - 1.
struct ByteArray {
    int lower = 0;
    std::vector<std::uint8_t> bytes;

    // An array of zero bytes with the bounds lower..upper.
    static ByteArray with_bounds(int lower_bound, int upper_bound) {
        ByteArray array;
        array.lower = lower_bound;
        int count = upper_bound - lower_bound + 1;
        array.bytes.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0);
        return array;
    }
    static ByteArray of(std::vector<std::uint8_t> content, int lower_bound = 0) {
        return ByteArray{lower_bound, std::move(content)};
    }

    int lbound() const { return lower; }
    int ubound() const { return lower + static_cast<int>(bytes.size()) - 1; }
    int size() const { return static_cast<int>(bytes.size()); }
    std::uint8_t& at(int index) { return bytes.at(static_cast<std::size_t>(index - lower)); }
    std::uint8_t at(int index) const { return bytes.at(static_cast<std::size_t>(index - lower)); }
};

}  // namespace zelkon
