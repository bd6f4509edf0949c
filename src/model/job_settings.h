#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/task_records.h"

namespace zelkon {

// The job's settings as the settings check passed them; fixed from then on
// for the set-up and the run.
struct JobSettings {
    std::string local_computer_name;
    std::string work_drive;
    std::string work_folder;
    std::string job_folder;
    std::string job_id;
    std::int32_t max_tasks = 0;
    std::int32_t task_target = 0;
    bool use_rpc = false;
    std::string network_share;
    std::string local_work_path;
    std::string network_work_path;
    std::string local_path;
};

// The job's files, and the figures of its initialisation log.
struct JobData {
    std::int32_t num_data = 0;
    std::int32_t num_x_cells = 0;
    std::int32_t num_y_cells = 0;
    std::int32_t num_z_cells = 0;
    std::int32_t num_components = 0;
    // Per component, 1..num_components.
    std::vector<std::int32_t> component_data_type =
        std::vector<std::int32_t>(kMaxComponents + 1, 0);
    std::vector<std::string> component_suffix = std::vector<std::string>(kMaxComponents + 1);
    double mtx_mb_per_datum = 0.0;
    std::string cluster_data_file;
    std::string assembly_log_file;
    std::string process_log_file;
    std::string semaphore_file;
};

}  // namespace zelkon
