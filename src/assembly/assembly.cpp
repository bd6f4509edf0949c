#include "assembly/assembly.h"

#include "controller/Module_zelkon_cluster.h"

namespace zelkon {

void Assembly::assemble_completed_tasks(std::int32_t& ierr) {
    ierr = 0;
    if (state.last_assembled_task > state.num_tasks) {
        return;
    }
    if (state.assembly_running) {
        follow_batch();
    } else {
        start_batch(ierr);
    }
}

std::string Assembly::marker_of(std::int32_t task) const {
    return state.local_work_path + state.cluster_task[task].name + ".old";
}

void Assembly::delete_marker(std::int32_t task) {
    std::string marker = marker_of(task);
    if (platform.files.file_exists(marker)) {
        platform.files.delete_files(marker, false);
    }
}

void Assembly::write_process_log(const std::string& text) {
    if (!state.process_log) {
        return;
    }
    state.process_log->write_line(
        format_date_time(platform.clock, platform.clock.now(), "Hh:Nn:Ss") + " " + text);
    state.process_log->flush();
}

}  // namespace zelkon
