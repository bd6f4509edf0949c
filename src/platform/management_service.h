#pragma once

#include <memory>
#include <string>

namespace zelkon {

// The process class of one machine's management service.
class ProcessClass {
  public:
    virtual ~ProcessClass() = default;
    // Starts a command line in a folder on that machine, detached. Returns 0
    // and the process id on success, a non-zero code otherwise.
    virtual int Create(const std::string& command_line, const std::string& folder,
                       int& process_id) = 0;
    // A non-zero code when the start of process_id, which Create returned
    // before it was confirmed, was refused after all (told once; then
    // failure_reason() says why); 0 while it runs, and once it has ended.
    virtual int start_refused(int /*process_id*/) { return 0; }
    // Why the last Create (or refused start) failed, in the starter's own
    // words; "" when it has none to give.
    virtual std::string failure_reason() const { return ""; }
    // Why the machine can no longer be reached, in the words of what reached
    // it; empty while it can, or when there is nothing to add.
    virtual std::string lost_connection() const { return {}; }
};

// Reaches the process class of a machine; the local computer (its name, ".",
// or "localhost") is served directly, others through the remote shell.
class ManagementService {
  public:
    virtual ~ManagementService() = default;
    // Throws ZelkonError when the machine cannot be reached.
    virtual std::shared_ptr<ProcessClass> connect(const std::string& host) = 0;
    // Begins reaching a machine without waiting, so that several machines
    // are reached at once; connect() then finishes it.
    virtual void begin_connect(const std::string& /*host*/) {}
};

}  // namespace zelkon
