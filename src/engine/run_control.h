#pragma once

#include <cstdint>
#include <string>

#include "engine/server_connections.h"
#include "model/run_records.h"
#include "platform/slurm_steps.h"

namespace zelkon {

// Why a run that still has waiting tasks cannot go on.
inline constexpr const char* kNoTaskServerLeft =
    "No task server is left to run the remaining tasks";

// Pause, resume and stop of a run, and the clean-up every end of a run or a
// set-up goes through.
class RunControl {
  public:
    RunControl(const JobSettings& job, const JobData& data, const ServerTable& servers,
               RunProgress& run, ServerConnections& channels, RunServices services,
               SlurmSteps& slurm, Timer& timer)
        : job(job),
          data(data),
          servers(servers),
          run(run),
          channels(channels),
          files(services.files),
          clock(services.clock),
          dialogs(services.dialogs),
          process_log(services.process_log),
          host(services.host),
          view(services.view),
          slurm(slurm),
          Timer_cluster_task(timer) {}

    // Index 0 pauses, any other value resumes.
    void Command_pause_run_Click(std::int16_t Index);
    // Asks first; a Yes stops the run.
    void Command_stop_cluster_run_Click();
    // Stops the run without asking: the Stop button's Yes, and a signal.
    void stop_run();
    void cluster_cleanup();
    // Ends the run as an error in a tick does: the message, the timer off,
    // the clean-up, and the host told.
    void end_run_with_error(const std::string& description);
    // True while some task server is not out of service.
    bool has_usable_task_server() const;
    // After the clean-up of a run's end: the run log names the matrix files
    // and, for a run left unfinished, the command that continues it.
    void tell_where_the_run_ended(RunOutcome outcome);
    // That command, or "" when the last run ended finished (or none ended).
    const std::string& continue_command() const { return continue_command_; }

  private:
    std::string continue_command_;

    void close_task_server_pipes();
    void cancel_slurm_steps();
    void remove_job_files_of_machine(std::int32_t machine);

    const JobSettings& job;
    const JobData& data;
    const ServerTable& servers;
    RunProgress& run;
    ServerConnections& channels;
    FileSystem& files;
    Clock& clock;
    Dialogs& dialogs;
    ProcessLog& process_log;
    FormHost& host;
    RunView& view;
    SlurmSteps& slurm;
    Timer& Timer_cluster_task;
};

}  // namespace zelkon
