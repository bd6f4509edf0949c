#include "settings/settings_check.h"

#include <exception>
#include <utility>

#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "platform/shell_words.h"
#include "settings/server_list.h"
#include "settings/server_tables.h"
#include "settings/slurm_servers.h"
#include "settings/work_paths.h"

namespace zelkon {
namespace {

// Each check returns the message of its refusal, or "" when it passed.

std::string check_max_tasks(const FormControls& controls, JobSettings& job) {
    const std::string& text = controls.Text_max_tasks.text;
    if (!is_numeric(text) || number_of(text) <= 0) {
        return "The maximum number of tasks is not valid";
    }
    job.max_tasks = whole_number_of(text);
    if (job.max_tasks < 1) {
        job.max_tasks = 100;
    }
    job.task_target = job.max_tasks;
    return "";
}

std::string check_work_place(const FormControls& controls, JobSettings& job) {
    job.work_drive = trim(controls.Text_work_drive.text);
    if (job.work_drive.empty()) {
        return "No work drive has been specified";
    }
    job.work_folder = trim(controls.Text_work_folder.text);
    job.job_folder = work_folder_name(job.work_folder);
    if (job.job_folder.empty()) {
        return "No work folder name has been specified";
    }
    return "";
}

std::string check_job_id(const FormControls& controls, JobSettings& job) {
    job.job_id = trim(controls.Text_jobID.text);
    if (job.job_id.empty()) {
        return "No job ID has been specified";
    }
    if (!is_numeric(job.job_id)) {
        return "The job ID is not valid";
    }
    double value = number_of(job.job_id);
    if (value < 1 || value > 999999) {
        return "The job ID is not valid";
    }
    return "";
}

// Every command line is one line of text: no quoting carries a line break or
// another control character to a task server.
std::string check_passable(const FormControls& controls) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"work drive", &controls.Text_work_drive.text},
        {"work folder", &controls.Text_work_folder.text},
        {"network share", &controls.Text_network_share.text},
        {"inversion folder", &controls.Dir1},
        {"job ID", &controls.Text_jobID.text},
    };
    for (const auto& [name, text] : fields) {
        if (!passes_as_shell_word(*text)) {
            return std::string("The ") + name +
                   " holds a line break or another control character, which no command line "
                   "can pass to the task servers";
        }
    }
    return "";
}

// The job folder here and as other machines reach it; folder is the work
// folder without its outer separators.
void set_work_paths(const std::string& folder, const std::string& net_root, JobSettings& job) {
    std::string job_name = "Job_" + job.job_id;
    job.local_work_path = work_drive_root(job.work_drive) + "/" + folder + "/" + job_name + "/";
    if (!job.network_share.empty()) {
        job.network_work_path = job.network_share + "/" + job_name + "/";
    } else {
        job.network_work_path = net_root + "/" + job.local_computer_name + job.local_work_path;
    }
    job.job_folder = folder + "/" + job_name;
}

std::string check_servers(FormControls& controls, const Environment& environment, bool use_rpc,
                          ServerTable& servers) {
    ServerList list;
    std::string message = decode_server_list(controls.Text_server.text, list);
    if (!message.empty()) {
        return message;
    }
    if (list.duplicate) {
        controls.Text_server.text = canonical_server_list(list.machines);
    }
    // The list as written stays in the settings; its "slurm" line is read
    // afresh in each allocation.
    message = expand_slurm_allocation(list, environment);
    if (!message.empty()) {
        return message;
    }
    for (const ServerMachine& machine : list.machines) {
        if (machine.slurm_node && use_rpc) {
            return kSlurmWithoutListener;
        }
    }
    build_server_tables(list, servers);
    return "";
}

}  // namespace

void SettingsCheck::check_cluster_settings(std::int32_t& ierr) {
    ierr = -1;
    try {
        std::string message = check_max_tasks(controls, job);
        if (message.empty()) {
            message = check_passable(controls);
        }
        if (message.empty()) {
            message = check_work_place(controls, job);
        }
        if (message.empty()) {
            message = check_job_id(controls, job);
        }
        if (message.empty()) {
            job.use_rpc = controls.Check_use_RPC.value == 1;
            job.network_share = trim(controls.Text_network_share.text);
            job.local_computer_name = get_computer_name(computer_name);
            set_work_paths(job.job_folder, network_root(environment), job);
            message = check_servers(controls, environment, job.use_rpc, servers);
        }
        if (!message.empty()) {
            dialogs.warning(message);
            return;
        }
        ierr = 0;
    } catch (const std::exception& error) {
        dialogs.warning("An error occured while checking the settings: " +
                        error_description(error));
    }
}

}  // namespace zelkon
