#include "settings/server_tables.h"

namespace zelkon {

void build_server_tables(const ServerList& list, RunState& state) {
    state.machines.clear();
    state.machines.resize(static_cast<std::int32_t>(list.machines.size()));
    std::int32_t total = 0;
    for (std::int32_t i = 1; i <= state.num_servers(); ++i) {
        const ServerMachine& decoded = list.machines[static_cast<std::size_t>(i - 1)];
        Machine& machine = state.machines[i];
        machine.name = decoded.name;
        machine.count = decoded.count;
        machine.threads = decoded.threads;
        machine.slurm = decoded.slurm_node;
        machine.first_task_server = total + 1;
        total += decoded.count;
    }
    state.task_servers.clear();
    state.task_servers.resize(total);
    for (std::int32_t i = 1; i <= state.num_servers(); ++i) {
        const Machine& machine = state.machines[i];
        for (std::int32_t instance = 0; instance < machine.count; ++instance) {
            TaskServer& server = state.task_servers[machine.first_task_server + instance];
            server.name = machine.name;
            server.machine = i;
            server.instance = instance;
            server.threads = machine.threads;
        }
    }
}

}  // namespace zelkon
