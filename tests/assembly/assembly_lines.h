#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zelkon {

// A data line in the assembly log's fixed columns: task (7), first (8),
// last (8), 23 unread, seconds (10), 13 unread, then 25 columns per
// component whose first 12 hold the size in bytes.
inline std::string data_line(int task, int first, int last, double seconds,
                             const std::vector<long long>& sizes) {
    char head[128];
    std::snprintf(head, sizeof head, "%7d%8d%8d%23s%10.3f%13s", task, first, last, "", seconds, "");
    std::string line = head;
    for (long long size : sizes) {
        char block[32];
        std::snprintf(block, sizeof block, "%12lld%13s", size, "");
        line += block;
    }
    return line;
}

}  // namespace zelkon
