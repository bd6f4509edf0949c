#include <vector>

#include "model/Module_zelkon_cluster.h"
#include "platform/dial_failure.h"
#include "platform/error.h"
#include "settings/work_paths.h"
#include "setup/server_setup.h"

namespace zelkon {
namespace {

constexpr int kPipeAttempts = 5;
constexpr int kPipeRetryWaitMs = 500;

}  // namespace

void ServerSetup::reach_machines_ahead() {
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        const Machine& machine = servers.machines[i];
        if (machine.is_local || machine.slurm) {
            continue;
        }
        if (job.use_rpc) {
            // Its other pipes follow once this one has opened the master
            // connection, which they then share.
            pipes.dial_ahead(machine.name, kServerPipeName);
        } else {
            management.begin_connect(machine.name);
        }
    }
}

void ServerSetup::open_task_server_channels(SetupProgress& setup) {
    host.append_run_log("\r\rSet up the servers");
    host.append_run_log("\r\rCluster data file: " + data.cluster_data_file);
    if (!job.use_rpc) {
        auto slots = static_cast<std::size_t>(servers.num_task_servers()) + 1;
        channels.server_wmi_process.assign(slots, nullptr);
        channels.server_process_id.assign(slots, 0);
    }
    setup.opened_task_servers = 0;
    std::vector<bool> tried_first = job.use_rpc ? open_first_pipes(setup) : std::vector<bool>();
    std::shared_ptr<ProcessClass> machine_class;
    for (std::int32_t i = 1; i <= servers.num_task_servers(); ++i) {
        TaskServer& server = servers.task_servers[i];
        host.append_run_log("\r\rServer: " + server.name + "/" +
                            format_number(server.instance, "0"));
        if (job.use_rpc && !tried_first[static_cast<std::size_t>(i)]) {
            open_pipe_unless_unreachable(setup, i);
        } else if (!job.use_rpc) {
            connect_process_class(i, machine_class);
            ++setup.opened_task_servers;
        }
        const Machine& machine = servers.machines[server.machine];
        server.work_path = machine.is_local || machine.slurm
                               ? work_drive_root(job.work_drive) + "/" + job.job_folder
                               : job.network_work_path;
        server.busy = false;
        server.task = 0;
    }
    pipes.drop_dials_ahead();
    empty_earlier_job_folders(setup);
    copy_cluster_data_file();
}

// Each machine's first pipe first: it opens the master connection that the
// machine's other pipes share, and once it is open they are all begun, on
// every machine at once. True for the task servers whose pipe was tried.
std::vector<bool> ServerSetup::open_first_pipes(SetupProgress& setup) {
    std::vector<bool> tried(static_cast<std::size_t>(servers.num_task_servers()) + 1, false);
    for (std::int32_t m = 1; m <= servers.num_servers(); ++m) {
        std::int32_t first = servers.machines[m].first_task_server;
        if (servers.machines[m].count > 0 && servers.machines[m].unreachable.empty()) {
            open_pipe(setup, first);
            tried[static_cast<std::size_t>(first)] = true;
        }
    }
    return tried;
}

void ServerSetup::open_pipe_unless_unreachable(SetupProgress& setup, std::int32_t i) {
    TaskServer& server = servers.task_servers[i];
    const std::string& unreachable = servers.machines[server.machine].unreachable;
    if (unreachable.empty()) {
        open_pipe(setup, i);
        return;
    }
    // A machine down, a name not known, a login refused: that holds for its
    // other pipes too, and a dead machine costs one time-out, not one per
    // task server.
    server.failed = true;
    setup.write_info("RPC pipe " + format_number(i, "0") + " not tried: the first pipe of " +
                     server.name + " did not open: " + unreachable);
}

void ServerSetup::open_pipe(SetupProgress& setup, std::int32_t i) {
    TaskServer& server = servers.task_servers[i];
    PipeRPC& pipe = *channels.PipeRPC_Zelkon.at(static_cast<std::size_t>(i - 1));
    server.failed = true;
    for (int attempt = 1; attempt <= kPipeAttempts; ++attempt) {
        std::int32_t status = pipe.OpenPipe();
        if (status == 0) {
            setup.write_info("RPC pipe " + format_number(i, "0") + " opened");
            ++setup.opened_task_servers;
            server.failed = false;
            dial_rest_of_machine_ahead(server);
            return;
        }
        setup.write_info("RPC pipe " + format_number(i, "0") + " failed");
        if (status == kPipeStoppedBySignal) {
            throw ZelkonError(kErrorStoppedBySignal,
                              "The set-up was stopped by a signal while the RPC pipes were opened");
        }
        std::string reason = pipes.last_open_failure();
        if (holds_for_whole_machine(reason)) {
            // Further attempts would only wait for the same time-out again.
            servers.machines[server.machine].unreachable = reason;
        }
        if (attempt == kPipeAttempts || holds_for_whole_machine(reason)) {
            if (!reason.empty()) {
                host.append_run_log("\r" + server.name + ": " + reason);
            }
            return;
        }
        clock.sleep_ms(kPipeRetryWaitMs);
    }
}

// Once a machine's first pipe is open, its master connection is there for
// the others: they are all begun, so that their logins overlap.
void ServerSetup::dial_rest_of_machine_ahead(const TaskServer& server) {
    const Machine& machine = servers.machines[server.machine];
    if (server.instance != 0 || machine.is_local) {
        return;
    }
    for (std::int32_t k = 1; k < machine.count; ++k) {
        pipes.dial_ahead(machine.name, kServerPipeName);
    }
}

// The task servers of one machine share its process class: one reach of the
// machine serves them all. A machine that cannot be reached throws.
void ServerSetup::connect_process_class(std::int32_t i,
                                        std::shared_ptr<ProcessClass>& machine_class) {
    const TaskServer& server = servers.task_servers[i];
    if (server.instance == 0 || !machine_class) {
        ManagementService& service = servers.machines[server.machine].slurm
                                         ? static_cast<ManagementService&>(slurm)
                                         : management;
        machine_class = service.connect(server.name);
    }
    channels.server_wmi_process[static_cast<std::size_t>(i - 1)] = machine_class;
}

// A job folder that holds the cluster data file still holds an earlier run's
// files, which must not be taken for this run's.
void ServerSetup::empty_earlier_job_folders(SetupProgress& setup) {
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        const std::string& folder = servers.machines[i].network_path;
        setup.write_info("Task Server WorkPath: " + folder);
        host.append_run_log("\rCluster work path: " + folder);
        // Every file: "*.*" would keep those without a dot in their name.
        if (files.file_exists(folder + data.cluster_data_file) &&
            !files.delete_files(folder + "*", false)) {
            throw ZelkonError(kErrorPermissionDenied, "Permission denied: " + folder);
        }
    }
}

void ServerSetup::copy_cluster_data_file() {
    std::string from = job.local_path + data.cluster_data_file;
    std::string to = job.local_work_path + data.cluster_data_file;
    if (!files.copy_file(from, to, true)) {
        throw ZelkonError(kErrorFileNotFound, "File not found: " + from);
    }
}

}  // namespace zelkon
