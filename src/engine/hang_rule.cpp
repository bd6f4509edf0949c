#include "engine/hang_rule.h"

namespace zelkon {
namespace {

constexpr double kMsPerMinute = 60000.0;
// Beyond this the slowest server's time does not fit the fixed-point range
// even before its multiple: no task has run that long.
constexpr double kLargestMs = 9.2e13;

}  // namespace

bool is_hung(FixedMs running, std::int32_t task_data, float slowest_speed,
             std::int32_t servers_reporting) {
    if (!(slowest_speed > 0.0f) || servers_reporting < 2) {
        return false;
    }
    double slowest_ms = static_cast<double>(task_data) / slowest_speed * kMsPerMinute;
    if (!(slowest_ms < kLargestMs)) {
        return false;
    }
    std::int64_t expected = FixedMs::from_ms(slowest_ms).scaled();
    std::int64_t multiple = servers_reporting == 2 ? 10 : 5;
    return running.scaled() > multiple * expected;
}

}  // namespace zelkon
