#include "engine/task_command.h"

#include "model/Module_zelkon_cluster.h"
#include "platform/shell_words.h"

namespace zelkon {

std::string task_name(const std::string& job_id, std::int32_t task) {
    return "Zelkon_job_" + format_number(number_of(job_id), "000000") + "_task_" +
           format_number(task, "000000");
}

std::string task_program_command(const TaskCommandParts& parts) {
    std::string command =
        "zelkon_cluster_task " + shell_word(parts.job_path + parts.cluster_data_file) + " " +
        format_number(parts.task, "0") + " " + format_number(parts.first_datum, "0") + " " +
        format_number(parts.last_datum, "0");
    if (parts.threads > 0) {
        command += " OMP_NUM_THREADS=" + format_number(parts.threads, "0");
    }
    return command;
}

// A task program that cannot start (not found, a missing library, a usage
// error) exits at once and leaves nothing behind; the wrapper then writes
// the .err file that the completion check reads, with the first line the
// program or the shell wrote on standard error. It appears whole, renamed
// into place: the check may look at any moment.
std::string task_command(const TaskCommandParts& parts) {
    std::string error_file = shell_word(parts.job_path + parts.task_name + ".err");
    std::string part_file = shell_word(parts.job_path + parts.task_name + ".err.part");
    return "m=$(" + task_program_command(parts) + " 2>&1 >/dev/null); s=$?; [ $s -eq 0 ] || [ -e " +
           error_file + " ] || { l=$(printf '%s\\n' \"$m\" | sed '1!d;s/^sh: [0-9]*: //'); " +
           "printf 'exited with status %s%s\\n' $s \"${l:+: $l}\" > " + part_file + " && mv -f " +
           part_file + " " + error_file + "; }";
}

}  // namespace zelkon
