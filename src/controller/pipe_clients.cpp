#include "controller/Module_zelkon_cluster.h"
#include "controller/server_setup.h"

namespace zelkon {

void ServerSetup::update_number_of_pipes() {
    if (!state.use_rpc) {
        return;
    }
    // Clients are never dropped: a later set-up with fewer task servers
    // reuses the first ones, and one with more adds only what is missing.
    auto wanted = static_cast<std::size_t>(state.num_task_servers());
    while (state.PipeRPC_Zelkon.size() < wanted) {
        state.PipeRPC_Zelkon.push_back(
            std::make_unique<PipeRPC>(platform.pipes, platform.timers, platform.computer_name));
    }
    state.num_pipes = static_cast<std::int32_t>(state.PipeRPC_Zelkon.size());
}

void ServerSetup::address_the_pipes() {
    if (!state.use_rpc) {
        return;
    }
    std::string local_name = to_upper(state.local_computer_name);
    for (std::int32_t i = 1; i <= state.num_task_servers(); ++i) {
        PipeRPC& pipe = *state.PipeRPC_Zelkon.at(static_cast<std::size_t>(i - 1));
        pipe.ClosePipe();
        const std::string& name = state.task_servers[i].name;
        pipe.SetServer(to_upper(name) == local_name ? "." : name);
        pipe.SetPipeName("Zelkon_Server");
    }
}

}  // namespace zelkon
