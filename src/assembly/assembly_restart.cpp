// An assembly process that ended without merging the task it was awaited
// for (it crashed, was killed or refused its batch) is started again from
// that task; the assembly merges each task once, whatever its log already
// holds. After kAssemblyRestarts such starts the run ends with the reason.

#include <vector>

#include "assembly/assembly.h"
#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"

namespace zelkon {

bool Assembly::assembly_process_ended() {
    std::int32_t process_id = assembly_state.assembly_process_id;
    if (process_id == 0 || process_id == ended_process_id_) {
        return true;
    }
    if (processes.is_running(process_id)) {
        return false;
    }
    ended_process_id_ = process_id;
    return true;
}

void Assembly::restart_or_fail(std::int32_t task) {
    if (restarted_task_ != task) {
        restarted_task_ = task;
        restarts_ = 0;
    }
    int exit_code = processes.wait(assembly_state.assembly_process_id);
    std::string reason = first_error_line();
    write_process_log("Cluster assembly " + format_number(task, "0") +
                      " ended without merging it, exit code " + std::to_string(exit_code) +
                      (reason.empty() ? "" : ": " + reason));
    if (restarts_ >= kAssemblyRestarts) {
        if (reason.empty()) {
            reason =
                "the assembly ended " + std::to_string(restarts_ + 1) + " times without merging it";
        }
        throw ZelkonError(kErrorAssemblyFailed, "The assembly of task " + format_number(task, "0") +
                                                    " failed: " + reason);
    }
    ++restarts_;
    std::int32_t last = last_task_of_batch(task);
    for (std::int32_t k = task; k <= last; ++k) {
        delete_marker(k);
    }
    start_assembly(task, last - task + 1, "Restart cluster assembly");
}

// The batch ends at its task whose in_batch is 0.
std::int32_t Assembly::last_task_of_batch(std::int32_t task) const {
    std::int32_t last = task;
    while (last < tasks.num_tasks && tasks.cluster_task[last].in_batch > 0) {
        ++last;
    }
    return last;
}

// "zelkon_cluster_<job>_assembly.err" beside the assembly log.
std::string Assembly::error_file() const {
    const std::string& data_file = data.cluster_data_file;
    std::string stem = data_file.size() > 4 ? data_file.substr(0, data_file.size() - 4) : data_file;
    return job.local_path + stem + "_assembly.err";
}

std::string Assembly::first_error_line() const {
    std::vector<std::string> lines;
    if (!files.file_exists(error_file()) || !files.read_lines(error_file(), lines)) {
        return "";
    }
    for (const std::string& line : lines) {
        if (!trim(line).empty()) {
            return trim(line);
        }
    }
    return "";
}

}  // namespace zelkon
