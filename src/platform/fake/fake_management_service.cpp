#include "platform/fake/fake_management_service.h"

#include "platform/error.h"
#include "platform/local_management_service.h"

namespace zelkon {
namespace {

class FakeProcessClass : public ProcessClass {
  public:
    FakeProcessClass(FakeManagementService& service, std::string host)
        : service_(service), host_(std::move(host)) {}
    int Create(const std::string& command_line, const std::string& folder,
               int& process_id) override {
        return service_.create(host_, command_line, folder, process_id);
    }
    int start_refused(int process_id) override { return service_.start_refused(host_, process_id); }
    std::string failure_reason() const override { return service_.failure_reason(host_); }

  private:
    FakeManagementService& service_;
    std::string host_;
};

}  // namespace

std::shared_ptr<ProcessClass> FakeManagementService::connect(const std::string& host) {
    if (local_processes_ != nullptr && is_local_host(host, computer_name_)) {
        return std::make_shared<LocalProcessClass>(*local_processes_);
    }
    reached.push_back("connect " + host);
    if (auto slow = delays_ms_.find(host); slow != delays_ms_.end()) {
        if (clock_ != nullptr) {
            clock_->sleep_ms(slow->second);
        } else {
            waited_ms += slow->second;
        }
    }
    if (auto down = unreachable_.find(host); down != unreachable_.end()) {
        throw ZelkonError(kErrorMachineUnavailable, down->second, "ssh");
    }
    return std::make_shared<FakeProcessClass>(*this, host);
}

void FakeManagementService::make_unreachable(const std::string& host, std::string reason) {
    unreachable_[host] = std::move(reason);
}

void FakeManagementService::make_reachable(const std::string& host) {
    unreachable_.erase(host);
}

void FakeManagementService::make_slow(const std::string& host, int delay_ms) {
    delays_ms_[host] = delay_ms;
}

void FakeManagementService::fail_creates(const std::string& host, int code, std::string reason) {
    create_codes_[host] = code;
    create_reasons_[host] = code != 0 ? std::move(reason) : "";
}

std::string FakeManagementService::failure_reason(const std::string& host) const {
    auto reason = create_reasons_.find(host);
    return reason == create_reasons_.end() ? "" : reason->second;
}

void FakeManagementService::refuse_later(int process_id, int code, std::string reason) {
    late_refusals_[process_id] = {code, std::move(reason)};
}

int FakeManagementService::start_refused(const std::string& host, int process_id) {
    auto refusal = late_refusals_.find(process_id);
    if (refusal == late_refusals_.end()) {
        return 0;
    }
    int code = refusal->second.first;
    create_reasons_[host] = refusal->second.second;
    late_refusals_.erase(refusal);
    return code;
}

int FakeManagementService::create(const std::string& host, const std::string& command_line,
                                  const std::string& folder, int& process_id) {
    auto failure = create_codes_.find(host);
    int code = failure == create_codes_.end() ? 0 : failure->second;
    created.push_back({host, command_line, folder, code == 0 ? ++next_id_ : 0, code});
    if (code != 0) {
        return code;
    }
    process_id = next_id_;
    if (on_create) {
        on_create(created.back());
    }
    return 0;
}

int FakeManagementService::run_pending(const std::function<void(const CreatedProcess&)>& run) {
    int ran = 0;
    for (; run_up_to_ < created.size(); ++run_up_to_) {
        // Copied, as the run may create more processes and move the vector.
        CreatedProcess process = created[run_up_to_];
        if (process.code == 0) {
            run(process);
            ++ran;
        }
    }
    return ran;
}

}  // namespace zelkon
