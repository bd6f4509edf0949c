#include "assembly/assembly.h"

#include "model/Module_zelkon_cluster.h"

namespace zelkon {

void Assembly::assemble_completed_tasks(std::int32_t& ierr) {
    ierr = 0;
    if (tasks.last_assembled_task > tasks.num_tasks) {
        return;
    }
    if (assembly_state.assembly_running) {
        follow_batch();
    } else {
        start_batch(ierr);
    }
}

std::string Assembly::marker_of(std::int32_t task) const {
    return job.local_work_path + tasks.cluster_task[task].name + ".old";
}

void Assembly::delete_marker(std::int32_t task) {
    std::string marker = marker_of(task);
    if (files.file_exists(marker)) {
        files.delete_files(marker, false);
    }
}

void Assembly::write_process_log(const std::string& text) {
    process_log.write(" " + text);
}

}  // namespace zelkon
