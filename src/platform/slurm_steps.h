#pragma once

#include "platform/management_service.h"

namespace zelkon {

// The nodes of the scheduler's allocation this program runs in: each
// process is started as a job step on its node.
class SlurmSteps : public ManagementService {
  public:
    // Never throws: whether a node takes steps shows at the first Create.
    std::shared_ptr<ProcessClass> connect(const std::string& node) override = 0;
    // Cancels the steps started here that are still running, and waits a
    // while for them to end; returns how many were cancelled.
    virtual int cancel_running_steps() = 0;
};

}  // namespace zelkon
