#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/management_service.h"
#include "platform/process_starter.h"

namespace zelkon {

// One Create call as the fake saw it; code is what Create returned.
struct CreatedProcess {
    std::string host;
    std::string command_line;
    std::string folder;
    int process_id = 0;  // 0 when the Create failed
    int code = 0;
};

// Machines that a test makes unreachable or slow to reach (any other is
// reachable), and every connect and Create on them. A test "runs" what was
// created through on_create or run_pending. The process classes it hands out
// refer to it, so it must outlive them.
class FakeManagementService : public ManagementService {
  public:
    // With a clock, reaching a slow machine takes its time there (a blocking
    // wait: no timer fires). With a local process starter, this computer (its
    // name in any case, ".", "localhost") starts processes through it, as
    // the real service does.
    explicit FakeManagementService(FakeClock* clock = nullptr,
                                   ProcessStarter* local_processes = nullptr,
                                   std::string computer_name = "")
        : clock_(clock), local_processes_(local_processes), computer_name_(computer_name) {}

    // Throws ZelkonError with the reason given for an unreachable machine.
    std::shared_ptr<ProcessClass> connect(const std::string& host) override;
    void begin_connect(const std::string& host) override { reached.push_back("begin " + host); }

    void make_unreachable(const std::string& host, std::string reason);
    void make_reachable(const std::string& host);
    // Each connect to host takes delay_ms: on the clock, or else in waited_ms.
    void make_slow(const std::string& host, int delay_ms);
    // Creates on host return code, and the process class gives reason for
    // them; 0 lets them succeed again.
    void fail_creates(const std::string& host, int code, std::string reason = "");
    std::string failure_reason(const std::string& host) const;
    // The start of process_id turns out refused with code and reason, when
    // its process class is next asked about it.
    void refuse_later(int process_id, int code, std::string reason);

    // Calls run for each process created since the last call, oldest first;
    // returns how many.
    int run_pending(const std::function<void(const CreatedProcess&)>& run);

    // What the process classes call.
    int create(const std::string& host, const std::string& command_line, const std::string& folder,
               int& process_id);
    int start_refused(const std::string& host, int process_id);

    // Every other machine begun ("begin HOST") or connected ("connect HOST"), in order.
    std::vector<std::string> reached;
    std::vector<CreatedProcess> created;  // every Create call, in order
    // Runs at each successful Create (a test writes the files it would write).
    std::function<void(const CreatedProcess&)> on_create;
    std::int64_t waited_ms = 0;  // time spent reaching slow machines without a clock

  private:
    FakeClock* clock_;
    ProcessStarter* local_processes_;
    std::string computer_name_;
    std::map<std::string, std::string> unreachable_;
    std::map<std::string, int> delays_ms_;
    std::map<std::string, int> create_codes_;
    std::map<std::string, std::string> create_reasons_;
    std::map<int, std::pair<int, std::string>> late_refusals_;
    int next_id_ = 5000;
    std::size_t run_up_to_ = 0;  // created[0, run_up_to_) went through run_pending
};

}  // namespace zelkon
