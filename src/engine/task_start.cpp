#include "engine/task_engine.h"
#include "model/Module_zelkon_cluster.h"
#include "piperpc/byte_array.h"
#include "piperpc/utf16.h"
#include "platform/error.h"

namespace zelkon {
namespace {

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
        throw ZelkonError(kErrorSubscriptOutOfRange, "Control array element does not exist");
    }
    ByteArray request = ByteArray::of(to_utf16le(command));
    ByteArray response = ByteArray::of(std::vector<std::uint8_t>(kReplyBytes, 0));
    std::int32_t status = channels.PipeRPC_Zelkon[element_of(server)]->PipeCall(request, response);
    return status;
}

std::int32_t TaskEngine::start_through_management(std::int32_t server, const std::string& command) {
    std::size_t element = element_of(server);
    if (server < 1 || element >= channels.server_wmi_process.size() ||
        !channels.server_wmi_process[element]) {
        throw ZelkonError(kErrorObjectNotSet, "Object variable or With block variable not set");
    }
    if (channels.server_process_id.size() <= element) {
        channels.server_process_id.resize(element + 1, 0);
    }
    int process_id = 0;
    ProcessClass& machine = *channels.server_wmi_process[element];
    int status = machine.Create(command, servers.task_servers[server].work_path, process_id);
    channels.server_process_id[element] = process_id;
    std::string lost = status != 0 ? machine.lost_connection() : std::string();
    if (!lost.empty()) {
        write_process_log(" Connection lost to " + servers.task_servers[server].name + ": " + lost);
    }
    return status;
}

// A start the machine confirms later may turn out refused: the task waits
// again, as if it had never started, and the server goes out as after a
// failed start.
bool TaskEngine::take_out_if_start_refused(std::int32_t server) {
    std::size_t element = element_of(server);
    if (job.use_rpc || element >= channels.server_wmi_process.size() ||
        !channels.server_wmi_process[element] || element >= channels.server_process_id.size() ||
        channels.server_wmi_process[element]->start_refused(channels.server_process_id[element]) ==
            0) {
        return false;
    }
    TaskServer& slot = servers.task_servers[server];
    tasks.cluster_task[slot.task].state = TaskState::waiting;
    slot.tasks_started -= 1;
    slot.data_started -= slot.task_data;
    tasks.num_tasks_processing -= 1;
    view.show_task_counts();
    take_out_after_failed_start(server);
    return true;
}

std::string TaskEngine::start_failure_reason(std::int32_t server) const {
    std::size_t element = element_of(server);
    if (job.use_rpc || element >= channels.server_wmi_process.size() ||
        !channels.server_wmi_process[element]) {
        return "";
    }
    std::string reason = channels.server_wmi_process[element]->failure_reason();
    return reason.empty() ? "" : ": " + reason;
}

}  // namespace zelkon
