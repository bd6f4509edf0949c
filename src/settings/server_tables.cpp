#include "settings/server_tables.h"

namespace zelkon {

void build_server_tables(const ServerList& list, ServerTable& servers) {
    servers.machines.clear();
    servers.machines.resize(static_cast<std::int32_t>(list.machines.size()));
    std::int32_t total = 0;
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        const ServerMachine& decoded = list.machines[static_cast<std::size_t>(i - 1)];
        Machine& machine = servers.machines[i];
        machine.name = decoded.name;
        machine.count = decoded.count;
        machine.threads = decoded.threads;
        machine.slurm = decoded.slurm_node;
        machine.first_task_server = total + 1;
        total += decoded.count;
    }
    servers.task_servers.clear();
    servers.task_servers.resize(total);
    for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
        const Machine& machine = servers.machines[i];
        for (std::int32_t instance = 0; instance < machine.count; ++instance) {
            TaskServer& server = servers.task_servers[machine.first_task_server + instance];
            server.name = machine.name;
            server.machine = i;
            server.instance = instance;
            server.threads = machine.threads;
        }
    }
}

}  // namespace zelkon
