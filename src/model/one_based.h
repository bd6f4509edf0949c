#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"

namespace zelkon {

// A table whose elements are numbered from 1, as the run's tables are; an
// index outside 1..size() is an error, never a neighbour's element.
template <typename T>
class OneBased {
  public:
    std::int32_t size() const { return static_cast<std::int32_t>(items_.size()); }
    bool empty() const { return items_.empty(); }
    bool contains(std::int32_t index) const { return index >= 1 && index <= size(); }
    void clear() { items_.clear(); }
    void assign(std::int32_t count, const T& value = T()) {
        items_.assign(static_cast<std::size_t>(count > 0 ? count : 0), value);
    }
    void resize(std::int32_t count) {
        items_.resize(static_cast<std::size_t>(count > 0 ? count : 0));
    }

    T& operator[](std::int32_t index) { return items_[checked(index)]; }
    const T& operator[](std::int32_t index) const { return items_[checked(index)]; }

    typename std::vector<T>::iterator begin() { return items_.begin(); }
    typename std::vector<T>::iterator end() { return items_.end(); }
    typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<T>::const_iterator end() const { return items_.end(); }

  private:
    std::size_t checked(std::int32_t index) const {
        if (!contains(index)) {
            throw ZelkonError(kErrorSubscriptOutOfRange,
                              "Subscript out of range: " + std::to_string(index));
        }
        return static_cast<std::size_t>(index - 1);
    }

    std::vector<T> items_;
};

}  // namespace zelkon
