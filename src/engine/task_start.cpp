#include "controller/Module_zelkon_cluster.h"
#include "engine/task_engine.h"
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

std::int32_t TaskEngine::start_command(std::int32_t server) {
    return state.use_rpc ? start_through_pipe(server) : start_through_management(server);
}

std::int32_t TaskEngine::start_through_pipe(std::int32_t server) {
    if (server < 1 || element_of(server) >= state.PipeRPC_Zelkon.size() ||
        !state.PipeRPC_Zelkon[element_of(server)]) {
        throw ZelkonError(kErrorSubscriptOutOfRange, "Control array element does not exist");
    }
    state.start_status = 0;
    state.rpc_request = to_utf16le(state.task_command);
    state.rpc_response.assign(kReplyBytes, 0);
    ByteArray request = ByteArray::of(state.rpc_request);
    ByteArray response = ByteArray::of(state.rpc_response);
    std::int32_t status = state.PipeRPC_Zelkon[element_of(server)]->PipeCall(request, response);
    state.rpc_response = response.bytes;
    return status;
}

std::int32_t TaskEngine::start_through_management(std::int32_t server) {
    std::size_t element = element_of(server);
    if (server < 1 || element >= state.server_wmi_process.size() ||
        !state.server_wmi_process[element]) {
        throw ZelkonError(kErrorObjectNotSet, "Object variable or With block variable not set");
    }
    if (state.server_process_id.size() <= element) {
        state.server_process_id.resize(element + 1, 0);
    }
    int process_id = 0;
    ProcessClass& machine = *state.server_wmi_process[element];
    int status =
        machine.Create(state.task_command, state.task_servers[server].work_path, process_id);
    state.server_process_id[element] = process_id;
    std::string lost = status != 0 ? machine.lost_connection() : std::string();
    if (!lost.empty()) {
        write_process_log(" Connection lost to " + state.task_servers[server].name + ": " + lost);
    }
    return status;
}

// A start the machine confirms later may turn out refused: the task waits
// again, as if it had never started, and the server goes out as after a
// failed start.
bool TaskEngine::take_out_if_start_refused(std::int32_t server) {
    std::size_t element = element_of(server);
    if (state.use_rpc || element >= state.server_wmi_process.size() ||
        !state.server_wmi_process[element] || element >= state.server_process_id.size() ||
        state.server_wmi_process[element]->start_refused(state.server_process_id[element]) == 0) {
        return false;
    }
    TaskServer& slot = state.task_servers[server];
    state.cluster_task[slot.task].state = TaskState::waiting;
    slot.tasks_started -= 1;
    slot.data_started -= slot.task_data;
    state.num_tasks_processing -= 1;
    controls.Text_tasks_processing.text = format_number(state.num_tasks_processing, "0");
    take_out_after_failed_start(server);
    return true;
}

std::string TaskEngine::start_failure_reason(std::int32_t server) const {
    std::size_t element = element_of(server);
    if (state.use_rpc || element >= state.server_wmi_process.size() ||
        !state.server_wmi_process[element]) {
        return "";
    }
    std::string reason = state.server_wmi_process[element]->failure_reason();
    return reason.empty() ? "" : ": " + reason;
}

}  // namespace zelkon
