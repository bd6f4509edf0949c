#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "piperpc/pipe_rpc.h"
#include "platform/management_service.h"

namespace zelkon {

// The live links to the task servers: a pipe client per task server (with
// RPC) or a process class per task server (without). The set-up opens them; the engine starts tasks
// through them; the clean-up closes the pipes. Index = task server - 1.
struct ServerConnections {
    // Once made, the pipe clients live as long as the form.
    std::vector<std::unique_ptr<PipeRPC>> PipeRPC_Zelkon;
    std::int32_t num_pipes = 0;
    std::vector<std::shared_ptr<ProcessClass>> server_wmi_process;
    std::vector<std::int32_t> server_process_id;
};

}  // namespace zelkon
