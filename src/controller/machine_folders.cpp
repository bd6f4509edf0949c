#include "controller/Module_zelkon_cluster.h"
#include "controller/server_setup.h"
#include "platform/error.h"
#include "settings/work_paths.h"

namespace zelkon {
namespace {

// A machine reached under the net root must be one folder of it: "." or
// ".." would put its job folder somewhere else entirely.
void refuse_unsafe_machine_name(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        throw ZelkonError(kErrorPathNotFound, "Not a machine name: \"" + name + "\"");
    }
}

}  // namespace

void ServerSetup::set_up_machine_work_folders(SetupProgress& setup) {
    state.work_folder_parts = split_at(state.job_folder, '/');
    state.local_task_server = 0;
    for (std::int32_t i = 1; i <= state.num_servers(); ++i) {
        set_up_machine_folder(setup, i);
    }
}

void ServerSetup::set_up_machine_folder(SetupProgress& setup, std::int32_t i) {
    Machine& machine = state.machines[i];
    std::string name = to_upper(machine.name);
    std::string local_name = to_upper(state.local_computer_name);
    bool is_local = name == local_name;
    setup.write_info("Check for local machine: " + name + "  " +
                     format_number(static_cast<double>(name.size()), "0") + " " + local_name +
                     "  " + format_number(static_cast<double>(local_name.size()), "0") +
                     " Different: " + yes_no(is_local ? -1 : 0));
    std::string root = work_drive_root(state.work_drive);
    std::string job_folder_here = root + "/" + state.job_folder + "/";
    machine.is_local = is_local;
    if (is_local && state.local_task_server == 0) {
        state.local_task_server = machine.first_task_server;
    }
    // The allocation's nodes share the controller's file system: the job
    // folder is the same folder at the same path for every one of them.
    if (is_local || machine.slurm) {
        machine.work_path = job_folder_here;
        machine.network_path = create_folder_chain(root + "/");
    } else if (!state.network_share.empty()) {
        // The share is this computer's own job folder, made at stage 4.
        machine.work_path = state.network_work_path;
        machine.network_path = state.local_work_path;
    } else {
        refuse_unsafe_machine_name(machine.name);
        machine.work_path = job_folder_here;
        machine.network_path = create_folder_chain(network_root(platform.environment) + "/" +
                                                   machine.name + root + "/");
    }
    setup.write_info("Server " + format_number(i, "0") + ": " + machine.name +
                     " Work Path: " + machine.network_path);
    append_run_log("\rServer " + format_number(i, "0") + ": " + machine.name +
                   " Network path: " + machine.network_path);
}

std::string ServerSetup::remote_folder_hint(const std::string& description) const {
    std::string root = network_root(platform.environment);
    if (description.find(": " + root + "/") == std::string::npos) {
        return "";
    }
    return "The controller reaches another machine's job folder as " + root +
           "/HOST/... (ZELKON_NET_ROOT names another root than /net): make it reachable there "
           "with an automounted /net, a mounted share or a shared file system, or give a "
           "network share.";
}

std::string ServerSetup::create_folder_chain(const std::string& start_path) {
    std::string path = start_path;
    for (const std::string& part : state.work_folder_parts) {
        if (part.empty()) {
            continue;
        }
        path += part + "/";
        if (!platform.files.folder_exists(path) && !platform.files.create_folder(path)) {
            throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
        }
    }
    if (!platform.files.folder_exists(path)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
    }
    return path;
}

}  // namespace zelkon
