#include "settings/server_tables.h"

namespace zelkon {
namespace {

void size_machine_tables(std::size_t machines, RunState& state) {
    state.server_name.assign(machines + 1, std::string());
    state.server_count.assign(machines + 1, 0);
    state.server_threads.assign(machines + 1, 0);
    state.server_first_task_server.assign(machines + 2, 0);
    state.server_is_local.assign(machines + 2, false);
    state.server_network_path.assign(machines + 2, std::string());
    state.server_work_path.assign(machines + 2, std::string());
}

void fill_task_servers(RunState& state) {
    state.task_servers.assign(static_cast<std::size_t>(state.num_task_servers) + 1, TaskServer{});
    for (std::int32_t i = 1; i <= state.num_servers; ++i) {
        std::int32_t first = state.server_first_task_server[i];
        for (std::int32_t instance = 0; instance < state.server_count[i]; ++instance) {
            TaskServer& server = state.task_servers[first + instance];
            server.name = state.server_name[i];
            server.machine = i;
            server.instance = instance;
            server.threads = state.server_threads[i];
        }
    }
}

}  // namespace

void build_server_tables(const ServerList& list, RunState& state) {
    size_machine_tables(list.machines.size(), state);
    state.num_servers = static_cast<std::int32_t>(list.machines.size());
    std::int32_t total = 0;
    for (std::int32_t i = 1; i <= state.num_servers; ++i) {
        const ServerMachine& machine = list.machines[i - 1];
        state.server_name[i] = machine.name;
        state.server_count[i] = machine.count;
        state.server_threads[i] = machine.threads;
        state.server_first_task_server[i] = total + 1;
        total += machine.count;
    }
    state.server_first_task_server[state.num_servers + 1] = total + 1;
    state.num_task_servers = total;
    fill_task_servers(state);
}

}  // namespace zelkon
