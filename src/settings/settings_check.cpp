#include "settings/settings_check.h"

#include <exception>
#include <utility>

#include "controller/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "platform/shell_words.h"
#include "settings/server_list.h"
#include "settings/server_tables.h"
#include "settings/slurm_servers.h"
#include "settings/work_paths.h"

namespace zelkon {
namespace {

// Each check returns the message of its refusal, or "" when it passed.

std::string check_max_tasks(const FormControls& controls, RunState& state) {
    const std::string& text = controls.Text_max_tasks.text;
    if (!is_numeric(text) || number_of(text) <= 0) {
        return "The maximum number of tasks is not valid";
    }
    state.max_tasks = whole_number_of(text);
    if (state.max_tasks < 1) {
        state.max_tasks = 100;
    }
    state.task_target = state.max_tasks;
    return "";
}

std::string check_work_place(const FormControls& controls, RunState& state) {
    state.work_drive = trim(controls.Text_work_drive.text);
    if (state.work_drive.empty()) {
        return "No work drive has been specified";
    }
    state.work_folder = trim(controls.Text_work_folder.text);
    state.job_folder = work_folder_name(state.work_folder);
    if (state.job_folder.empty()) {
        return "No work folder name has been specified";
    }
    return "";
}

std::string check_job_id(const FormControls& controls, RunState& state) {
    state.job_id = trim(controls.Text_jobID.text);
    if (state.job_id.empty()) {
        return "No job ID has been specified";
    }
    if (!is_numeric(state.job_id)) {
        return "The job ID is not valid";
    }
    double value = number_of(state.job_id);
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
void set_work_paths(const std::string& folder, const std::string& net_root, RunState& state) {
    std::string job = "Job_" + state.job_id;
    state.local_work_path = work_drive_root(state.work_drive) + "/" + folder + "/" + job + "/";
    if (!state.network_share.empty()) {
        state.network_work_path = state.network_share + "/" + job + "/";
    } else {
        state.network_work_path =
            net_root + "/" + state.local_computer_name + state.local_work_path;
    }
    state.job_folder = folder + "/" + job;
}

std::string check_servers(FormControls& controls, const Environment& environment, RunState& state) {
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
        if (machine.slurm_node && state.use_rpc) {
            return kSlurmWithoutListener;
        }
    }
    build_server_tables(list, state);
    return "";
}

}  // namespace

void SettingsCheck::check_cluster_settings(std::int32_t& ierr) {
    ierr = -1;
    try {
        std::string message = check_max_tasks(controls, state);
        if (message.empty()) {
            message = check_passable(controls);
        }
        if (message.empty()) {
            message = check_work_place(controls, state);
        }
        if (message.empty()) {
            message = check_job_id(controls, state);
        }
        if (message.empty()) {
            state.use_rpc = controls.Check_use_RPC.value == 1;
            state.network_share = trim(controls.Text_network_share.text);
            state.local_computer_name = get_computer_name(platform.computer_name);
            set_work_paths(state.job_folder, network_root(platform.environment), state);
            message = check_servers(controls, platform.environment, state);
        }
        if (!message.empty()) {
            platform.dialogs.warning(message);
            return;
        }
        ierr = 0;
    } catch (const std::exception& error) {
        platform.dialogs.warning("An error occured while checking the settings: " +
                                 error_description(error));
    }
}

}  // namespace zelkon
