#include "apps/listener/disconnect_text.h"

#include "piperpc/pipe_error_text.h"
#include "piperpc/pipe_rpc.h"
#include "platform/pipe_transport.h"

namespace zelkon {
namespace {

std::string reason_text(int reason) {
    switch (reason) {
        case PipeRPC::kReasonConnectFailed:
            return "the connection failed";
        case PipeRPC::kReasonClientGone:
            return "client gone";
        case PipeRPC::kReasonClosed:
            return "closed by the listener";
        case PipeRPC::kReasonRequestTooLong:
            return "dropped: the request is too long";
        case PipeRPC::kReasonPartialWrite:
            return "dropped: no whole reply could be given";
        case PipeRPC::kReasonReadFailed:
            return "dropped: the request could not be read";
        case PipeRPC::kReasonWriteFailed:
            return "dropped: the reply could not be written";
        default:
            return "disconnected, reason " + std::to_string(reason);
    }
}

}  // namespace

std::string disconnect_text(int reason, int system_error) {
    if (reason == PipeRPC::kReasonClientGone && system_error == kPipeBrokenPipe) {
        return "client closed";
    }
    std::string text = reason_text(reason);
    if (system_error != 0) {
        text += " (" + pipe_error_text(system_error) + ")";
    }
    return text;
}

}  // namespace zelkon
