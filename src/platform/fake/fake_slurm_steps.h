#pragma once

#include "platform/fake/fake_management_service.h"
#include "platform/slurm_steps.h"

namespace zelkon {

// The allocation's nodes for tests: connects and creates go to a fake
// management service of their own, and no step is ever left to cancel.
class FakeSlurmSteps : public SlurmSteps {
  public:
    std::shared_ptr<ProcessClass> connect(const std::string& node) override {
        return nodes.connect(node);
    }
    int cancel_running_steps() override { return 0; }

    FakeManagementService nodes;
};

}  // namespace zelkon
