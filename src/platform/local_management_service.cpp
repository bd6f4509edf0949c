#include "platform/local_management_service.h"

#include <algorithm>
#include <cctype>

#include "platform/error.h"

namespace zelkon {
namespace {
// The code a failed start gives, as the management service reports a
// process that could not be created.
constexpr int kCreateFailed = 9;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}
}  // namespace

int LocalProcessClass::Create(const std::string& command_line, const std::string& folder,
                              int& process_id) {
    StartResult result = processes_.start(command_line, folder);
    if (!result.started) {
        return kCreateFailed;
    }
    process_id = result.process_id;
    return 0;
}

bool is_local_host(const std::string& host, const std::string& computer_name) {
    std::string name = upper(host);
    return name == "." || name == "LOCALHOST" || name == upper(computer_name);
}

LocalManagementService::LocalManagementService(ProcessStarter& processes, std::string computer_name)
    : processes_(processes), computer_name_(std::move(computer_name)) {}

std::shared_ptr<ProcessClass> LocalManagementService::connect(const std::string& host) {
    if (!is_local_host(host, computer_name_)) {
        throw ZelkonError(kErrorMachineUnavailable,
                          "The remote server machine does not exist or is unavailable: " + host);
    }
    return std::make_shared<LocalProcessClass>(processes_);
}

}  // namespace zelkon
