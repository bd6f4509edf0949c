#include "engine/task_log.h"

#include "model/Module_zelkon_cluster.h"

namespace zelkon {
namespace {

constexpr const char* kClockTimeTaken = "Clock time taken";
constexpr double kMsPerMinute = 60000.0;

}  // namespace

ClockTimeTaken read_clock_time_taken(const std::vector<std::string>& lines) {
    for (const std::string& raw : lines) {
        std::string line = trim(raw);
        if (!line.starts_with(kClockTimeTaken)) {
            continue;
        }
        // Without a ":" the whole line is read, which holds no leading number.
        std::size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? line : line.substr(colon + 1);
        return {line, static_cast<float>(leading_number(value) * kMsPerMinute)};
    }
    return {};
}

}  // namespace zelkon
