#include "platform/fake/fake_slurm_steps.h"

namespace zelkon {

std::shared_ptr<ProcessClass> FakeSlurmSteps::connect(const std::string& node) {
    return nodes.connect(node);
}

int FakeSlurmSteps::cancel_running_steps() {
    ++cancels;
    int cancelled = still_running;
    still_running = 0;
    return cancelled;
}

}  // namespace zelkon
