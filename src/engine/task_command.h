#pragma once

#include <cstdint>
#include <string>

namespace zelkon {

// "Zelkon_job_000012_task_000007": the name of a task's semaphore and log.
std::string task_name(const std::string& job_id, std::int32_t task);

// What the task command needs to know of one start.
struct TaskCommandParts {
    std::string job_path;  // the job folder as the task server's machine sees it
    std::string task_name;
    std::string cluster_data_file;
    std::int32_t task = 0;
    std::int32_t first_datum = 0;
    std::int32_t last_datum = 0;
    std::int32_t threads = 0;  // 0: the task server's default
};

// The task program's own command line, every path one word to the shell.
std::string task_program_command(const TaskCommandParts& parts);

// The command line that runs one task on a task server: the task program,
// and when it fails without saying why in its .err file, a line there
// ("exited with status 127: zelkon_cluster_task: not found").
std::string task_command(const TaskCommandParts& parts);

}  // namespace zelkon
