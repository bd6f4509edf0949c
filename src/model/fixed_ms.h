#pragma once

#include <cmath>
#include <cstdint>

namespace zelkon {

// Milliseconds with four decimal places, held as a 64-bit integer scaled by
// 10,000, so that sums of many task times stay exact.
class FixedMs {
  public:
    static constexpr std::int64_t kScale = 10000;
    // About 29 years: beyond any real time, and far enough inside the
    // integer's range that a run's sums of such values stay exact.
    static constexpr double kLargestMs = 9.2e14;

    // Whether a value (not a NaN) of this magnitude may be taken in.
    static bool holds(double milliseconds) { return std::fabs(milliseconds) < kLargestMs; }

    FixedMs() = default;
    static FixedMs from_scaled(std::int64_t scaled) {
        FixedMs value;
        value.scaled_ = scaled;
        return value;
    }
    // Rounds to the nearest ten-thousandth, halves to even.
    static FixedMs from_ms(double milliseconds) {
        return from_scaled(static_cast<std::int64_t>(std::nearbyint(milliseconds * kScale)));
    }

    std::int64_t scaled() const { return scaled_; }
    double ms() const { return static_cast<double>(scaled_) / kScale; }

    FixedMs operator+(FixedMs other) const { return from_scaled(scaled_ + other.scaled_); }
    FixedMs operator-(FixedMs other) const { return from_scaled(scaled_ - other.scaled_); }
    FixedMs& operator+=(FixedMs other) {
        scaled_ += other.scaled_;
        return *this;
    }
    friend auto operator<=>(const FixedMs&, const FixedMs&) = default;

  private:
    std::int64_t scaled_ = 0;
};

}  // namespace zelkon
