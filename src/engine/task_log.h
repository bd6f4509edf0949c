#pragma once

#include <string>
#include <vector>

namespace zelkon {

// The "Clock time taken" line of a task's log and what it says.
struct ClockTimeTaken {
    std::string line;             // trimmed; empty when the log has none
    float computation_ms = 0.0f;  // the minutes after its first ":", in milliseconds
};

// Reads the first line that, trimmed, begins with "Clock time taken" (case
// matters); a log without one gives an empty line and 0 ms.
ClockTimeTaken read_clock_time_taken(const std::vector<std::string>& lines);

}  // namespace zelkon
