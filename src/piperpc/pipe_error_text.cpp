#include "piperpc/pipe_error_text.h"

#include <cctype>

#include "platform/pipe_transport.h"

namespace zelkon {

std::string pipe_error_text(int code) {
    switch (code) {
        case 0:
            return "success";
        case kPipeFileNotFound:
            return "no such pipe, or its folder is missing";
        case kPipeAccessDenied:
            return "access denied: the pipe folder belongs to another user or others may enter it";
        case kPipeNotEnoughMemory:
            return "not enough memory";
        case kPipeBrokenPipe:
            return "the other end has closed the pipe";
        case kPipeTimeout:
            return "no free pipe instance within the wait";
        case kPipeInvalidName:
            return "not a usable pipe name";
        case kPipeBusy:
            return "another listener already serves this pipe";
        case kPipeNoData:
            return "the pipe is being closed";
        case kPipeMoreData:
            return "the message is longer than the buffer";
        default:
            return "system error " + std::to_string(code);
    }
}

int trailing_error_code(const std::string& description) {
    std::size_t end = description.size();
    std::size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(description[start - 1]))) {
        --start;
    }
    if (start == end || end - start > 9) {
        return 0;
    }
    return std::stoi(description.substr(start));
}

}  // namespace zelkon
