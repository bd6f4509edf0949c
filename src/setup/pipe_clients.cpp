#include "model/Module_zelkon_cluster.h"
#include "setup/server_setup.h"

namespace zelkon {

void ServerSetup::update_number_of_pipes() {
    if (!job.use_rpc) {
        return;
    }
    // Clients are never dropped: a later set-up with fewer task servers
    // reuses the first ones, and one with more adds only what is missing.
    auto wanted = static_cast<std::size_t>(servers.num_task_servers());
    while (channels.PipeRPC_Zelkon.size() < wanted) {
        channels.PipeRPC_Zelkon.push_back(std::make_unique<PipeRPC>(pipes, timers, computer_name));
    }
    channels.num_pipes = static_cast<std::int32_t>(channels.PipeRPC_Zelkon.size());
}

void ServerSetup::address_the_pipes() {
    if (!job.use_rpc) {
        return;
    }
    std::string local_name = to_upper(job.local_computer_name);
    for (std::int32_t i = 1; i <= servers.num_task_servers(); ++i) {
        PipeRPC& pipe = *channels.PipeRPC_Zelkon.at(static_cast<std::size_t>(i - 1));
        pipe.ClosePipe();
        const std::string& name = servers.task_servers[i].name;
        pipe.SetServer(to_upper(name) == local_name ? "." : name);
        pipe.SetPipeName(kServerPipeName);
    }
}

}  // namespace zelkon
