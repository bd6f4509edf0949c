#pragma once

#include "platform/management_service.h"
#include "platform/process_starter.h"

namespace zelkon {

// Starts processes on this computer through a process starter.
class LocalProcessClass : public ProcessClass {
  public:
    explicit LocalProcessClass(ProcessStarter& processes) : processes_(processes) {}
    int Create(const std::string& command_line, const std::string& folder,
               int& process_id) override;

  private:
    ProcessStarter& processes_;
};

// The management service of the local computer only; a remote machine
// cannot be reached through it.
class LocalManagementService : public ManagementService {
  public:
    LocalManagementService(ProcessStarter& processes, std::string computer_name);
    std::shared_ptr<ProcessClass> connect(const std::string& host) override;

  private:
    ProcessStarter& processes_;
    std::string computer_name_;
};

// True for this computer's name (in any case), "." and "localhost".
bool is_local_host(const std::string& host, const std::string& computer_name);

}  // namespace zelkon
