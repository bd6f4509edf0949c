#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "settings/work_paths.h"
#include "setup/server_setup.h"

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
    servers.local_task_server = 0;
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        set_up_machine_folder(setup, i);
    }
}

void ServerSetup::set_up_machine_folder(SetupProgress& setup, std::int32_t i) {
    Machine& machine = servers.machines[i];
    std::string name = to_upper(machine.name);
    std::string local_name = to_upper(job.local_computer_name);
    bool is_local = name == local_name;
    setup.write_info("Check for local machine: " + name + "  " +
                     format_number(static_cast<double>(name.size()), "0") + " " + local_name +
                     "  " + format_number(static_cast<double>(local_name.size()), "0") +
                     " Different: " + yes_no(is_local ? -1 : 0));
    std::string root = work_drive_root(job.work_drive);
    std::string job_folder_here = root + "/" + job.job_folder + "/";
    machine.is_local = is_local;
    if (is_local && servers.local_task_server == 0) {
        servers.local_task_server = machine.first_task_server;
    }
    // The allocation's nodes share the controller's file system: the job
    // folder is the same folder at the same path for every one of them.
    if (is_local || machine.slurm) {
        machine.work_path = job_folder_here;
        machine.network_path = create_folder_chain(root + "/");
    } else if (!job.network_share.empty()) {
        // The share is this computer's own job folder, made at stage 4.
        machine.work_path = job.network_work_path;
        machine.network_path = job.local_work_path;
    } else {
        refuse_unsafe_machine_name(machine.name);
        machine.work_path = job_folder_here;
        machine.network_path =
            create_folder_chain(network_root(environment) + "/" + machine.name + root + "/");
    }
    setup.write_info("Server " + format_number(i, "0") + ": " + machine.name +
                     " Work Path: " + machine.network_path);
    host.append_run_log("\rServer " + format_number(i, "0") + ": " + machine.name +
                        " Network path: " + machine.network_path);
}

std::string ServerSetup::remote_folder_hint(const std::string& description) const {
    std::string root = network_root(environment);
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
    for (const std::string& part : split_at(job.job_folder, '/')) {
        if (part.empty()) {
            continue;
        }
        path += part + "/";
        if (!files.folder_exists(path) && !files.create_folder(path)) {
            throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
        }
    }
    if (!files.folder_exists(path)) {
        throw ZelkonError(kErrorPathNotFound, "Path not found: " + path);
    }
    return path;
}

}  // namespace zelkon
