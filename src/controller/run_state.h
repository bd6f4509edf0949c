#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controller/fixed_ms.h"
#include "controller/one_based.h"
#include "piperpc/pipe_rpc.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/management_service.h"

namespace zelkon {

// The states of a task, in the order a task passes them.
enum class TaskState : std::int32_t {
    waiting = 0,
    running = 1,
    complete = 2,
    in_assembly = 3,
    assembled = 4,
};

// The most components a matrix has (one matrix file each).
inline constexpr std::int32_t kMaxComponents = 6;

// One task of the run, numbered from 1.
struct ClusterTask {
    std::string name;
    std::int32_t first_datum = 0;
    std::int32_t last_datum = 0;
    std::int32_t in_batch = 0;
    TaskState state = TaskState::waiting;
    std::int32_t server = 0;
    std::string server_label;
};

// One machine of the server list, numbered from 1.
struct Machine {
    std::string name;
    std::int32_t count = 1;    // task servers on it
    std::int32_t threads = 0;  // per task; 0 = not given
    std::int32_t first_task_server = 0;
    bool is_local = false;
    bool slurm = false;        // a node of the allocation, reached by job steps
    std::string work_path;     // the job folder as the machine sees it
    std::string network_path;  // the job folder as the controller reaches it
    std::string unreachable;   // why no pipe of it can open (ssh's words), if so
};

// One task server (a slot of a machine), numbered from 1.
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
    std::int32_t tasks_failed_in_a_row = 0;  // tasks that failed with an .err file
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

    // Machines of the server list and their task servers.
    OneBased<Machine> machines;
    std::int32_t num_servers() const { return machines.size(); }
    std::int32_t local_task_server = 0;
    std::vector<std::string> work_folder_parts;
    std::int32_t work_folder_depth = 0;

    OneBased<TaskServer> task_servers;
    std::int32_t num_task_servers() const { return task_servers.size(); }
    // The pipe clients, one per task server (element = task server - 1);
    // once made they live as long as the form.
    std::vector<std::unique_ptr<PipeRPC>> PipeRPC_Zelkon;
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
    // Per component, 1..num_components.
    std::vector<std::int32_t> component_data_type =
        std::vector<std::int32_t>(kMaxComponents + 1, 0);
    std::vector<std::string> component_suffix = std::vector<std::string>(kMaxComponents + 1);
    double mtx_mb_per_datum = 0.0;
    std::string cluster_data_file;
    std::string assembly_log_file;
    std::string process_log_file;
    // The open process log; null when closed.
    std::unique_ptr<TextWriter> process_log;
    std::string semaphore_file;

    // Tasks; the table holds tasks 1..num_tasks once the data are divided.
    std::int32_t data_step = 0;
    std::int32_t num_tasks = 0;
    std::int32_t task_first_datum = 0;
    std::int32_t task_last_datum = 0;
    OneBased<ClusterTask> cluster_task;

    // The assembly log in memory.
    std::int32_t assembly_log_last_task = 0;
    std::string assembly_log_header;
    std::vector<std::string> assembly_log_lines;
    std::int32_t data_done_at_start = 0;
    std::int32_t last_assembled_task = 0;
    bool assembly_running = false;
    std::int32_t assembly_process_id = 0;

    // Progress.
    std::int32_t num_tasks_processing = 0;
    std::int32_t num_tasks_done = 0;
    bool run_terminated = true;  // no new task may start
    std::int32_t timer_stage = 0;
    std::int32_t exit_when_finished = 0;
    DateTime run_start_time;
    // The monotonic clock at the run's start: elapsed time never follows a
    // change of the wall clock.
    std::int64_t run_start_tick_ms = 0;
    DateTime tick_time;
    DateTime expected_finish_time;
    double elapsed_seconds = 0.0;
    double estimated_duration_seconds = 0.0;

    // What the last task taken for hung said in its .err file, with the
    // task and server: the reason given when no task server is left.
    std::string last_task_failure;

    // Kept by the speed statistics on every tick.
    std::int32_t servers_reporting = 0;
    float slowest_speed = 0.0f;
};

}  // namespace zelkon
