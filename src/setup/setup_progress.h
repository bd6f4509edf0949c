#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "model/task_records.h"
#include "platform/file_system.h"

namespace zelkon {

// What one click of a start button keeps while it walks the set-up stages.
struct SetupProgress {
    int index = 1;  // 1 starts a run, 0 tests the set-up
    std::int32_t setup_stage = 0;
    std::string setup_action;
    std::unique_ptr<TextWriter> info_file;
    std::string init_log_file;
    std::int32_t opened_task_servers = 0;
    std::int32_t failed_task_servers = 0;
    std::array<std::string, kMaxComponents + 1> mtx_files;  // 1..num_components
    bool mtx_files_exist = false;
    std::int32_t next_task = 1;
    // The last data point already in the matrix of a continued run.
    std::int32_t assembled_datum = 0;
    // The values decoded from the assembly log of an earlier run.
    std::int32_t last_task = 0;
    std::int32_t first_data = 0;
    std::int32_t last_data = 0;
    std::array<double, kMaxComponents + 1> component_mb{};

    // Enters a stage; an empty action keeps the previous action text.
    void begin_stage(std::int32_t stage, const std::string& action = "") {
        setup_stage = stage;
        if (!action.empty()) {
            setup_action = action;
        }
    }
    // Adds an item to the setup info file, after an empty line.
    void write_info(const std::string& line) {
        if (info_file) {
            info_file->write_line("");
            info_file->write_line(line);
        }
    }
};

}  // namespace zelkon
