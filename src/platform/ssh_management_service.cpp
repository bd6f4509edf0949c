#include "platform/ssh_management_service.h"

#include "platform/captured_run.h"
#include "platform/error.h"
#include "platform/local_management_service.h"
#include "platform/ssh_control_folder.h"
#include "platform/ssh_texts.h"

namespace zelkon {

SshProcessClass::SshProcessClass(SshOptions options, std::string host)
    : options_(std::move(options)), host_(std::move(host)) {}

int SshProcessClass::Create(const std::string& command_line, const std::string& folder,
                            int& process_id) {
    CapturedRun run =
        run_captured(options_.run_on(host_, remote_start_command(command_line, folder)));
    if (!run.started) {
        return 127;  // as a shell reports a program it cannot run
    }
    int started_id = 0;
    if (run.exit_status == 0 && read_process_id(run.output, started_id)) {
        process_id = started_id;
        return 0;
    }
    return run.exit_status != 0 ? run.exit_status : 1;
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
    CapturedRun run = run_captured(options_.run_on(host, "true"));
    if (!run.started || run.exit_status != 0) {
        throw ZelkonError(kErrorMachineUnavailable, ssh_failure_reason(run), "ssh");
    }
    return std::make_shared<SshProcessClass>(options_, host);
}

void SshManagementService::close_all() {
    end_ssh_masters(options_);
}

}  // namespace zelkon
