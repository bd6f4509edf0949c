#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/management_service.h"
#include "platform/process_starter.h"
#include "platform/ssh_options.h"
#include "platform/ssh_starter.h"

namespace zelkon {

// Starts processes on another machine through its starter shell, over the
// master connection that reaching the machine opened.
class SshProcessClass : public ProcessClass {
  public:
    SshProcessClass(const SshOptions& options, const std::string& host);
    // 0 and the remote process id; otherwise 255 when the machine could not
    // be reached (its starter is gone), 1 when the folder could not be
    // entered or no process id came back.
    int Create(const std::string& command_line, const std::string& folder,
               int& process_id) override;
    std::string lost_connection() const override { return starter_.lost_reason(); }
    // Launches the starter without waiting for it.
    void begin() { starter_.begin(); }
    // Waits for the starter: true once the machine is reached.
    bool ready() { return starter_.ready(); }
    bool stopped() const { return starter_.stopped(); }

  private:
    SshStarter starter_;
};

// The management service over ssh. The local computer is served by the
// process starter; any other machine by its starter shell, whose greeting
// shows the machine is reached, and whose login opens the master connection
// the machine's other ssh commands reuse.
class SshManagementService : public ManagementService {
  public:
    // Ends first the masters that a killed controller left.
    SshManagementService(ProcessStarter& local, std::string computer_name, SshOptions options);
    // Ends the master connections.
    ~SshManagementService() override;
    SshManagementService(const SshManagementService&) = delete;
    SshManagementService& operator=(const SshManagementService&) = delete;

    // Throws ZelkonError with ssh's own reason when the machine cannot be
    // reached, and for a host name that ssh would read as an option; one
    // with kErrorStoppedBySignal when a stop signal ends the wait.
    std::shared_ptr<ProcessClass> connect(const std::string& host) override;
    // Launches the machine's starter, so that the logins of all machines
    // overlap; connect() then waits for it.
    void begin_connect(const std::string& host) override;
    // Ends every master connection (those of the remote pipes too, when they
    // share the control folder). Safe to call again.
    void close_all();

  private:
    ProcessStarter& local_;
    std::string computer_name_;
    SshOptions options_;
    std::map<std::string, std::shared_ptr<SshProcessClass>> begun_;
};

}  // namespace zelkon
