#include "engine/task_command.h"

#include "model/Module_zelkon_cluster.h"

namespace zelkon {

std::string task_name(const std::string& job_id, std::int32_t task) {
    return "Zelkon_job_" + format_number(number_of(job_id), "000000") + "_task_" +
           format_number(task, "000000");
}

std::string task_command(const TaskCommandParts& parts) {
    std::string command = "zelkon_cluster_task " + parts.job_path + parts.cluster_data_file + " " +
                          format_number(parts.task, "0") + " " +
                          format_number(parts.first_datum, "0") + " " +
                          format_number(parts.last_datum, "0");
    if (parts.threads > 0) {
        command += " OMP_NUM_THREADS=" + format_number(parts.threads, "0");
    }
    return command;
}

}  // namespace zelkon
