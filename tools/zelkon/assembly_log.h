// The assembly log: one fixed-column line per merged task, read back by the controller.
//
// Columns, counted from 1:
//   1-7 task, 8-15 first data point of the task, 16-23 last data point now held,
//   24-31 data points of the task, 32-46 blank, 47-56 assembly time in seconds,
//   57-69 time of day of the merge, then per component c a 25-column block from
//   column 70 + 25(c - 1): 12 columns matrix file size in bytes, 13 columns the
//   compression ratio so far; then two blanks and the server label.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "survey.h"

namespace zelkon_ref {

struct AssemblyLine {
    long long task = 0;
    long long first = 0;
    long long last = 0;
    long long task_data = 0;
    double seconds = 0;
    std::string time_of_day;  // "HH:MM:SS"
    std::vector<std::uint64_t> sizes;
    std::vector<double> ratios;
    std::string server_label;
};

// The state the matrix files were left in by the last line of the log.
struct CommittedState {
    bool any = false;
    long long task = 0;
    long long last = 0;
    std::vector<std::uint64_t> sizes;
    std::uintmax_t whole_lines_bytes = 0;  // length of the log up to its last complete line
};

std::string assembly_log_header(const Survey& survey);

// Throws ZelkonError when a value does not fit its columns.
std::string format_assembly_line(const AssemblyLine& line);

// A line missing its line end (a write cut short) is not counted. Throws ZelkonError when
// the last data line cannot be read by its columns.
CommittedState read_committed_state(const std::filesystem::path& log, size_t components);

}  // namespace zelkon_ref
