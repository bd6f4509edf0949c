#pragma once

#include <sys/types.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/slurm_steps.h"

namespace zelkon {

// Starts processes as job steps with srun, from inside the allocation. Each
// srun client runs in the background, without a shell, its messages in a
// private folder; it is kept (and its step's id) until the step ends. The
// first step on a node is awaited, so that a node that refuses steps shows
// at once; later starts there return with srun still launching, so that the
// starts of a round overlap, and a refusal shows when it is asked about.
class SlurmStepService : public SlurmSteps {
  public:
    SlurmStepService();
    // Cancels the steps still running and removes the private folder.
    ~SlurmStepService() override;
    SlurmStepService(const SlurmStepService&) = delete;
    SlurmStepService& operator=(const SlurmStepService&) = delete;

    std::shared_ptr<ProcessClass> connect(const std::string& node) override;
    int cancel_running_steps() override;

    // Starts the step: 0 and the srun client's pid, or srun's exit status
    // and its reason. On a node that has launched no step yet, waits until
    // srun has launched it or refused it.
    int start_step(const std::string& node, const std::string& command_line,
                   const std::string& folder, int& process_id, std::string& reason);
    // srun's exit status (and its reason) when it refused the step of
    // process_id after start_step returned; 0 while it launches or runs, and
    // once it has ended. A refusal is told once.
    int step_refused(int process_id, std::string& reason);

  private:
    struct Step {
        pid_t pid = 0;
        std::string id;        // "job.step"; "" while unknown
        std::string messages;  // the file of srun's messages
    };
    struct Refusal {
        int code = 0;
        std::string reason;
    };
    bool has_folder();
    int await_launch(Step& step, std::string& reason);
    // True once srun has ended; then refusal holds its code (0 when the step
    // launched or ended well) and reason.
    bool has_ended(Step& step, Refusal& refusal);
    void reap_finished();
    void forget(Step& step);

    std::string folder_;
    int next_log_ = 0;
    std::vector<Step> running_;
    std::set<std::string> nodes_launched_;
    std::map<pid_t, Refusal> refusals_;  // found, not yet asked about
};

}  // namespace zelkon
