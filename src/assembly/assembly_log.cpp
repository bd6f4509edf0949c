#include "assembly/assembly_log.h"

#include <algorithm>
#include <exception>

#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "platform/text_items.h"

namespace zelkon {
namespace {

// Writes a field's whole number into target when the field is numeric.
void read_whole_field(const std::string& field, std::int32_t& target) {
    if (is_numeric(field)) {
        target = whole_number_of(field);
    }
}

}  // namespace

std::string columns_of(const std::string& line, std::size_t first, std::size_t width) {
    if (first - 1 >= line.size()) {
        return "";
    }
    return line.substr(first - 1, width);
}

FixedMs assembly_time_of(const std::string& line) {
    std::string field = columns_of(line, 47, 10);
    double seconds = is_numeric(field) ? number_of(field) : 0.0;
    if (!(seconds > 0)) {
        return FixedMs();
    }
    if (!FixedMs::holds(seconds * 1000)) {
        throw ZelkonError(kErrorOverflow, "Overflow");
    }
    return FixedMs::from_ms(seconds * 1000);
}

void decode_cluster_assembly_line(const std::string& line, std::int32_t& task_id,
                                  std::int32_t& first_data, std::int32_t& last_data,
                                  std::int32_t num_components,
                                  std::array<double, kMaxComponents + 1>& component_mb,
                                  std::int32_t& ierr) {
    ierr = -1;
    try {
        if (trim(line).empty()) {
            return;
        }
        std::string task_field = columns_of(line, 1, 7);
        if (!is_numeric(task_field)) {
            return;
        }
        task_id = whole_number_of(task_field);
        read_whole_field(columns_of(line, 8, 8), first_data);
        read_whole_field(columns_of(line, 16, 8), last_data);
        for (std::int32_t c = 1; c <= num_components; ++c) {
            if (c >= static_cast<std::int32_t>(component_mb.size())) {
                return;  // more components than the table holds ends the decoding
            }
            std::string size_field =
                columns_of(line, 70 + 25 * static_cast<std::size_t>(c - 1), 12);
            if (is_numeric(size_field)) {
                component_mb[static_cast<std::size_t>(c)] = number_of(size_field) / 1024 / 1024;
                ierr = 0;
            }
        }
    } catch (const std::exception&) {
        // A number too large ends the decoding silently; what was decoded stays.
    }
}

void AssemblyLog::load_assembly_dat_file(std::int32_t& ierr) {
    ierr = 0;
    if (!files.file_exists(data.assembly_log_file)) {
        return;
    }
    try {
        std::string text;
        if (!files.read_text(data.assembly_log_file, text)) {
            throw ZelkonError(kErrorFileNotFound, "File not found");
        }
        // The assembly may be appending a line right now; a line without its
        // end is taken on a later load, whole.
        for (const std::string& line : complete_text_lines(text)) {
            store_assembly_log_line(line);
        }
    } catch (const std::exception& error) {
        dialogs.warning("An error occurred while loading the assembly log file: " +
                        error_description(error));
        ierr = -1;
    }
}

void AssemblyLog::store_assembly_log_line(const std::string& line) {
    if (trim(line).empty()) {
        return;
    }
    if (line.find("TaskID") != std::string::npos) {
        assembly_state.assembly_log_header = line;
        return;
    }
    std::string task_field = columns_of(line, 1, 7);
    if (!is_numeric(task_field)) {
        return;
    }
    std::int32_t task = whole_number_of(task_field);
    // A task holds one data point at least, so no run has more tasks than
    // data points; a larger number is damage, and growing the table to it
    // could exhaust memory.
    if (task < 0 || task > std::max(data.num_data, 1)) {
        throw ZelkonError(kErrorSubscriptOutOfRange, "Subscript out of range");
    }
    // The table grows in steps of 5120 until it holds the task, so that a
    // log that skips ahead still loads.
    auto upper_index = static_cast<std::int32_t>(assembly_state.assembly_log_lines.size()) - 1;
    while (task > upper_index) {
        upper_index += kAssemblyLogGrowth;
    }
    assembly_state.assembly_log_lines.resize(static_cast<std::size_t>(upper_index) + 1);
    assembly_state.assembly_log_lines[static_cast<std::size_t>(task)] = line;
    assembly_state.assembly_log_last_task = task;
}

}  // namespace zelkon
