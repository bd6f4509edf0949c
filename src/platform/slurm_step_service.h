#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/slurm_steps.h"

namespace zelkon {

// Starts processes as job steps with srun, from inside the allocation. Each
// srun client runs in the background, without a shell, its messages in a
// private folder; it is kept (and its step's id) until the step ends.
class SlurmStepService : public SlurmSteps {
  public:
    SlurmStepService();
    // Cancels the steps still running and removes the private folder.
    ~SlurmStepService() override;
    SlurmStepService(const SlurmStepService&) = delete;
    SlurmStepService& operator=(const SlurmStepService&) = delete;

    std::shared_ptr<ProcessClass> connect(const std::string& node) override;
    int cancel_running_steps() override;

    // Starts the step and waits until srun has launched it (0, the srun
    // client's pid) or refused it (srun's exit status, and its reason).
    int start_step(const std::string& node, const std::string& command_line,
                   const std::string& folder, int& process_id, std::string& reason);

  private:
    struct Step {
        pid_t pid = 0;
        std::string id;        // "job.step"; "" while unknown
        std::string messages;  // the file of srun's messages
    };
    bool has_folder();
    int await_launch(Step& step, std::string& reason);
    void reap_finished();
    void forget(Step& step);

    std::string folder_;
    int next_log_ = 0;
    std::vector<Step> running_;
};

}  // namespace zelkon
