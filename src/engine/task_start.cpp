#include "engine/task_engine.h"
#include "piperpc/byte_array.h"
#include "piperpc/utf16.h"
#include "platform/error.h"

namespace zelkon {
namespace {

constexpr int kErrorSubscript = 9;
constexpr int kErrorObjectNotSet = 91;
constexpr int kReplyBytes = 256;

std::size_t element_of(std::int32_t server) {
    return static_cast<std::size_t>(server - 1);
}

}  // namespace

std::int32_t TaskEngine::start_command(std::int32_t server, const std::string& command) {
    return job.use_rpc ? start_through_pipe(server, command)
                   : start_through_management(server, command);
}

std::int32_t TaskEngine::start_through_pipe(std::int32_t server, const std::string& command) {
    if (server < 1 || element_of(server) >= channels.PipeRPC_Zelkon.size() ||
        !channels.PipeRPC_Zelkon[element_of(server)]) {
        throw ZelkonError(kErrorSubscript, "Control array element does not exist");
    }
    ByteArray request = ByteArray::of(to_utf16le(command));
    ByteArray response = ByteArray::of(std::vector<std::uint8_t>(kReplyBytes, 0));
    std::int32_t status = channels.PipeRPC_Zelkon[element_of(server)]->PipeCall(request, response);
    return status;
}

std::int32_t TaskEngine::start_through_management(std::int32_t server,
                                                   const std::string& command) {
    std::size_t element = element_of(server);
    if (server < 1 || element >= channels.server_wmi_process.size() ||
        !channels.server_wmi_process[element]) {
        throw ZelkonError(kErrorObjectNotSet, "Object variable or With block variable not set");
    }
    if (channels.server_process_id.size() <= element) {
        channels.server_process_id.resize(element + 1, 0);
    }
    int process_id = 0;
    int status = channels.server_wmi_process[element]->Create(
        command, servers.task_servers[server].work_path, process_id);
    channels.server_process_id[element] = process_id;
    return status;
}

}  // namespace zelkon
