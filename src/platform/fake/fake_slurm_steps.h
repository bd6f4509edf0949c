#pragma once

#include "platform/fake/fake_management_service.h"
#include "platform/slurm_steps.h"

namespace zelkon {

// The allocation's nodes for tests: connects and creates go to a fake
// management service of their own; a test says how many steps a
// cancel finds still running.
class FakeSlurmSteps : public SlurmSteps {
  public:
    std::shared_ptr<ProcessClass> connect(const std::string& node) override;
    int cancel_running_steps() override;

    FakeManagementService nodes;
    int still_running = 0;
    int cancels = 0;
};

}  // namespace zelkon
