#include "platform/ssh_management_service.h"

#include "platform/error.h"
#include "platform/local_management_service.h"
#include "platform/ssh_control_folder.h"
#include "platform/starter_protocol.h"

namespace zelkon {

namespace {

// Long enough for ssh itself to give up on a silent machine first, so that
// the reason is its own.
int answer_timeout_ms(const SshOptions& options) {
    return 1000 * (options.connect_timeout_s + options.alive_interval_s * options.alive_count_max);
}

}  // namespace

SshProcessClass::SshProcessClass(const SshOptions& options, const std::string& host)
    : starter_(options.run_on(host, starter_command()), answer_timeout_ms(options)) {}

int SshProcessClass::Create(const std::string& command_line, const std::string& folder,
                            int& process_id) {
    int started_id = 0;
    int status = starter_.start(command_line, folder, started_id);
    if (status == 0) {
        process_id = started_id;
    }
    return status;
}

SshManagementService::SshManagementService(ProcessStarter& local, std::string computer_name,
                                           SshOptions options)
    : local_(local), computer_name_(std::move(computer_name)), options_(std::move(options)) {
    end_abandoned_ssh_masters(options_);
}

SshManagementService::~SshManagementService() {
    close_all();
}

std::shared_ptr<ProcessClass> SshManagementService::connect(const std::string& host) {
    if (is_local_host(host, computer_name_)) {
        return std::make_shared<LocalProcessClass>(local_);
    }
    if (host.empty() || host[0] == '-') {
        throw ZelkonError(kErrorMachineUnavailable, "Not a machine name: \"" + host + "\"", "ssh");
    }
    begin_connect(host);
    std::shared_ptr<SshProcessClass> machine = std::move(begun_[host]);
    begun_.erase(host);
    if (!machine->ready()) {
        if (machine->stopped()) {
            throw ZelkonError(kErrorStoppedBySignal,
                              "The set-up was stopped by a signal while ssh reached " + host,
                              "ssh");
        }
        throw ZelkonError(kErrorMachineUnavailable, machine->lost_connection(), "ssh");
    }
    return machine;
}

void SshManagementService::begin_connect(const std::string& host) {
    if (is_local_host(host, computer_name_) || host.empty() || host[0] == '-' ||
        begun_.count(host) != 0) {
        return;
    }
    auto machine = std::make_shared<SshProcessClass>(options_, host);
    machine->begin();
    begun_[host] = machine;
}

void SshManagementService::close_all() {
    begun_.clear();
    end_ssh_masters(options_);
}

}  // namespace zelkon
