#include "assembly_log.h"

#include <algorithm>
#include <cstdio>

#include "error.h"
#include "files.h"
#include "text.h"

namespace zelkon_ref {

namespace {

constexpr size_t kComponentColumn = 69;  // 0-based start of the first component block
constexpr size_t kBlockWidth = 25;
constexpr std::uint64_t kLargestSize = 999999999999ull;

std::string column(const std::string& line, size_t start, size_t width) {
    return start < line.size() ? line.substr(start, width) : std::string();
}

bool is_data_line(const std::string& line) {
    return !trim(line).empty() && line.find("TaskID") == std::string::npos &&
           parse_integer(column(line, 0, 7)).has_value();
}

void decode_line(const std::string& line, size_t components, const std::string& source,
                 CommittedState& state) {
    auto task = parse_integer(column(line, 0, 7));
    auto last = parse_integer(column(line, 15, 8));
    if (!task || !last) {
        throw ZelkonError(source + ": its last line has no task or data point: " + line);
    }
    state.any = true;
    state.task = *task;
    state.last = *last;
    state.sizes.clear();
    for (size_t c = 0; c < components; ++c) {
        auto size = parse_integer(column(line, kComponentColumn + kBlockWidth * c, 12));
        if (!size || *size < 0) {
            throw ZelkonError(source + ": its last line has no matrix size for component " +
                              std::to_string(c + 1) + ": " + line);
        }
        state.sizes.push_back(static_cast<std::uint64_t>(*size));
    }
}

}  // namespace

std::string assembly_log_header(const Survey& survey) {
    char buffer[64];
    std::string header =
        " TaskID   First    Last   NData" + std::string(15, ' ') + "  Time (s)    Merged at";
    for (const Component& c : survey.components) {
        std::snprintf(buffer, sizeof buffer, "%12s%13s", ("Bytes_" + c.suffix).c_str(),
                      ("Ratio_" + c.suffix).c_str());
        header += buffer;
    }
    return header + "  Server";
}

std::string format_assembly_line(const AssemblyLine& l) {
    if (l.task < 0 || l.task > 9999999 || l.first < 0 || l.last > 99999999 || l.first > l.last) {
        throw ZelkonError("task " + std::to_string(l.task) +
                          " does not fit the assembly log's columns");
    }
    char buffer[128];
    double seconds = std::min(std::max(l.seconds, 0.0), 999999.999);
    std::snprintf(buffer, sizeof buffer, "%7lld%8lld%8lld%8lld%15s%10.3f%13s", l.task, l.first,
                  l.last, l.task_data, "", seconds, l.time_of_day.c_str());
    std::string line = buffer;
    for (size_t c = 0; c < l.sizes.size(); ++c) {
        if (l.sizes[c] > kLargestSize) {
            throw ZelkonError("a matrix file has grown beyond the assembly log's 12 columns");
        }
        double ratio = std::min(l.ratios[c], 9999999.0);
        std::snprintf(buffer, sizeof buffer, "%12llu%13.3f",
                      static_cast<unsigned long long>(l.sizes[c]), ratio);
        line += buffer;
    }
    return line + "  " + l.server_label;
}

CommittedState read_committed_state(const std::filesystem::path& log, size_t components) {
    CommittedState state;
    if (!std::filesystem::exists(log)) {
        return state;
    }
    std::string text = read_text_file(log);
    size_t end = text.rfind('\n');
    state.whole_lines_bytes = end == std::string::npos ? 0 : end + 1;
    std::string last_data;
    size_t at = 0;
    while (at < state.whole_lines_bytes) {
        size_t next = text.find('\n', at);
        std::string line = text.substr(at, next - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (is_data_line(line)) {
            last_data = line;
        }
        at = next + 1;
    }
    if (!last_data.empty()) {
        decode_line(last_data, components, log.string(), state);
    }
    return state;
}

}  // namespace zelkon_ref
