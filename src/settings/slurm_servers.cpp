#include "settings/slurm_servers.h"

#include "model/Module_zelkon_cluster.h"
#include "settings/slurm_allocation.h"

namespace zelkon {
namespace {

bool names_allocation(const ServerMachine& machine) {
    return to_upper(trim(machine.name)) == "SLURM";
}

// The allocation's nodes as machines, shaped by the list's line.
std::string allocation_machines(const ServerMachine& line, const Environment& environment,
                                std::vector<ServerMachine>& nodes) {
    if (environment.get("SLURM_JOB_ID").empty()) {
        return kOutsideSlurmAllocation;
    }
    std::string node_list = environment.get("SLURM_JOB_NODELIST");
    std::string tasks = environment.get("SLURM_TASKS_PER_NODE");
    std::vector<std::string> names;
    std::vector<std::int32_t> counts;
    std::string error = expand_node_list(node_list, names);
    if (!error.empty()) {
        return "The Slurm allocation's node list \"" + node_list + "\" cannot be read: " + error;
    }
    error = expand_tasks_per_node(tasks, counts);
    if (error.empty() && counts.size() != names.size() && !line.count_given) {
        error = "it gives " + std::to_string(counts.size()) + " counts for " +
                std::to_string(names.size()) + " nodes";
    }
    if (!error.empty() && !line.count_given) {
        return "The Slurm allocation's tasks per node \"" + tasks + "\" cannot be read: " + error;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        ServerMachine node;
        node.name = names[i];
        node.count = line.count_given ? line.count : counts[i];
        node.threads = line.threads;
        node.slurm_node = true;
        nodes.push_back(node);
    }
    return "";
}

}  // namespace

std::string expand_slurm_allocation(ServerList& list, const Environment& environment) {
    std::vector<ServerMachine> expanded;
    std::int64_t total = 0;
    for (const ServerMachine& machine : list.machines) {
        std::vector<ServerMachine> nodes;
        if (!names_allocation(machine)) {
            nodes.push_back(machine);
        } else {
            std::string error = allocation_machines(machine, environment, nodes);
            if (!error.empty()) {
                return error;
            }
        }
        for (const ServerMachine& node : nodes) {
            total += node.count;
            if (expanded.size() >= static_cast<std::size_t>(kMaxTaskServers) ||
                total > kMaxTaskServers) {
                return "Overflow: the server list gives more than " +
                       std::to_string(kMaxTaskServers) + " task servers";
            }
            expanded.push_back(node);
        }
    }
    list.machines = std::move(expanded);
    list.num_task_servers = static_cast<std::int32_t>(total);
    return total < 1 ? "No Task Servers have been decoded from the list" : "";
}

}  // namespace zelkon
