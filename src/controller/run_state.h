#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controller/fixed_ms.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/management_service.h"

namespace zelkon {

// Task states.
inline constexpr std::int32_t kTaskWaiting = 0;
inline constexpr std::int32_t kTaskRunning = 1;
inline constexpr std::int32_t kTaskComplete = 2;
inline constexpr std::int32_t kTaskInAssembly = 3;
inline constexpr std::int32_t kTaskAssembled = 4;

// Flags stored as numbers: -1 true, 0 false; any non-zero value reads true.
inline constexpr std::int32_t kTrue = -1;
inline constexpr std::int32_t kFalse = 0;

// One task of the run; element 0 of the task table is not used.
struct ClusterTask {
    std::string name;
    std::int32_t first_datum = 0;
    std::int32_t last_datum = 0;
    std::int32_t in_batch = 0;
    std::int32_t state = kTaskWaiting;
    std::int32_t server = 0;
    std::string server_label;
};

// One task server (a slot of a machine); element 0 is not used.
struct TaskServer {
    std::string name;
    std::int32_t machine = 0;
    std::int32_t instance = 0;
    std::int32_t threads = 0;
    bool failed = false;
    std::int32_t tasks_started = 0;
    std::int32_t data_started = 0;
    std::int32_t task_data = 0;
    std::string work_path;
    bool busy = false;
    std::int32_t task = 0;
    FixedMs task_start_ms;
    FixedMs task_elapsed_ms;
    FixedMs compute_ms;
    FixedMs overhead_ms;
    std::int32_t tasks_completed = 0;
    float data_per_min = 0.0f;
};

// Everything a run reads and writes, owned by the form. It lives as long as
// the form; each set-up rebuilds the tables it needs.
struct RunState {
    // Settings, as checked.
    std::string local_computer_name;
    std::string work_drive;
    std::string work_folder;
    std::string job_folder;
    std::string job_id;
    std::int32_t next_job_id = 0;
    std::int32_t max_tasks = 0;
    std::int32_t task_target = 0;
    bool use_rpc = false;
    std::string network_share;
    std::string local_work_path;
    std::string network_work_path;
    std::string local_path;

    // Machines of the server list, indices 0..num_servers.
    std::int32_t num_servers = 0;
    std::vector<std::string> server_name;
    std::vector<std::int32_t> server_count;
    std::vector<std::int32_t> server_threads;
    std::vector<std::int32_t> server_first_task_server;  // 0..num_servers + 1
    std::vector<bool> server_is_local;
    std::vector<std::string> server_work_path;
    std::vector<std::string> server_network_path;
    std::int32_t local_task_server = 0;
    std::vector<std::string> work_folder_parts;
    std::int32_t work_folder_depth = 0;

    // Task servers, indices 0..num_task_servers.
    std::int32_t num_task_servers = 0;
    std::vector<TaskServer> task_servers;
    std::int32_t num_pipes = 0;

    // Channels: the management service of this computer and of each task
    // server (index = task server - 1).
    std::shared_ptr<ProcessClass> wmi_process_class;
    std::vector<std::shared_ptr<ProcessClass>> server_wmi_process;
    std::vector<std::int32_t> server_process_id;
    std::string task_command;
    std::vector<std::uint8_t> rpc_request;
    std::vector<std::uint8_t> rpc_response;
    std::int32_t start_status = 0;
    std::int32_t init_process_id = 0;

    // Figures of the initialisation log.
    std::int32_t num_data = 0;
    std::int32_t num_x_cells = 0;
    std::int32_t num_y_cells = 0;
    std::int32_t num_z_cells = 0;
    std::int32_t num_components = 0;
    std::vector<std::int32_t> component_data_type = std::vector<std::int32_t>(7, 0);
    std::vector<std::string> component_suffix = std::vector<std::string>(7);
    double mtx_mb_per_datum = 0.0;
    std::string cluster_data_file;
    std::string assembly_log_file;
    std::string process_log_file;
    // The open process log; null when closed.
    std::unique_ptr<TextWriter> process_log;
    std::string semaphore_file;

    // Tasks, indices 0..num_tasks.
    std::int32_t data_step = 0;
    std::int32_t num_tasks = 0;
    std::int32_t task_first_datum = 0;
    std::int32_t task_last_datum = 0;
    std::vector<ClusterTask> cluster_task;

    // The assembly log in memory.
    std::int32_t assembly_log_last_task = 0;
    std::string assembly_log_header;
    std::vector<std::string> assembly_log_lines;
    std::int32_t data_done_at_start = 0;
    std::int32_t last_assembled_task = 0;
    std::int16_t assembly_running = 0;
    std::int32_t assembly_process_id = 0;

    // Progress.
    std::int32_t num_tasks_processing = 0;
    std::int32_t num_tasks_done = 0;
    std::int32_t run_terminated = kTrue;
    std::int32_t timer_stage = 0;
    std::int32_t exit_when_finished = 0;
    DateTime run_start_time;
    DateTime tick_time;
    DateTime expected_finish_time;
    double elapsed_seconds = 0.0;
    double estimated_duration_seconds = 0.0;

    // Kept by the speed statistics on every tick.
    std::int32_t servers_reporting = 0;
    float slowest_speed = 0.0f;
};

}  // namespace zelkon
