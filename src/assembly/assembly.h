#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "assembly/assembly_log.h"
#include "assembly/run_estimates.h"
#include "model/run_records.h"

namespace zelkon {

// The hang check that the assembly runs on each of its passes; the task
// engine provides it.
class HungServerCheck {
  public:
    virtual ~HungServerCheck() = default;
    virtual void check_for_hung_server(std::int32_t& hung_count) = 0;
};

// A batch waits for at least this many completed tasks (or the number of
// task servers, when that is larger).
inline constexpr std::int32_t kMinimumBatch = 16;
// How often an assembly that ended without merging its awaited task is
// started again before the run ends with an error.
inline constexpr std::int32_t kAssemblyRestarts = 3;
// How long an assembly may go on after its batch's last task was merged
// before it is taken as hung on its way out and ended: far beyond the few
// milliseconds it needs to exit.
inline constexpr std::int64_t kAssemblyExitLimitMs = 60'000;

// Merges completed tasks into the matrix files in batches, follows the
// assembly's progress and refreshes the run estimates.
class Assembly {
  public:
    Assembly(RunRecords records, RunServices services, HungServerCheck& hang_check)
        : job(records.job),
          data(records.data),
          servers(records.servers),
          tasks(records.tasks),
          assembly_state(records.assembly_state),
          run(records.run),
          wmi_process_class(records.wmi_process_class),
          files(services.files),
          processes(services.processes),
          management(services.management),
          clock(services.clock),
          process_log(services.process_log),
          host(services.host),
          hang_check_(hang_check),
          view(services.view),
          assembly_log_(records.data, records.assembly_state, services.files, services.dialogs),
          estimates_(records.data, records.servers, records.tasks, records.run, records.estimates,
                     services.view) {}

    // ierr 0, or 1 when completed tasks wait for a larger batch. Throws
    // ZelkonError when the assembly of a task has failed for good.
    void assemble_completed_tasks(std::int32_t& ierr);
    // True while an assembly process merges a batch.
    bool running() const { return assembly_state.assembly_running; }

  private:
    // What the assembly-log lines of one call decoded; a field a line does
    // not give keeps the value of the call's earlier line.
    struct DecodedLine {
        std::int32_t task_id = 0;
        std::int32_t first_data = 0;
        std::int32_t last_data = 0;
        std::array<double, kMaxComponents + 1> component_mb{};
    };

    // Starting a batch.
    void start_batch(std::int32_t& ierr);
    std::int32_t count_batch(std::int32_t first) const;
    bool hold_back(std::int32_t first, std::int32_t count) const;
    void start_assembly(std::int32_t first, std::int32_t count, const std::string& verb);
    std::int32_t start_process(const std::string& command);
    void end_assembly_hung_on_exit();

    // Following a batch.
    void follow_batch();
    void follow_up_task(std::int32_t task, DecodedLine& decoded);
    void read_assembly_line(std::int32_t task, DecodedLine& decoded);
    void book_assembly_time(std::int32_t task, const std::string& line);

    // An assembly that ended without merging the awaited task.
    bool assembly_process_ended();
    void restart_or_fail(std::int32_t task);
    std::int32_t last_task_of_batch(std::int32_t task) const;
    std::string error_file() const;
    std::string first_error_line() const;

    std::string marker_of(std::int32_t task) const;
    void delete_marker(std::int32_t task);
    void write_process_log(const std::string& text);

    const JobSettings& job;
    const JobData& data;
    ServerTable& servers;
    TaskTable& tasks;
    AssemblyProgress& assembly_state;
    const RunProgress& run;
    std::shared_ptr<ProcessClass>& wmi_process_class;
    FileSystem& files;
    ProcessStarter& processes;
    ManagementService& management;
    Clock& clock;
    ProcessLog& process_log;
    FormHost& host;
    HungServerCheck& hang_check_;
    RunView& view;
    AssemblyLog assembly_log_;
    RunEstimates estimates_;
    // The assembly process last seen to have ended (0: none), so that an id
    // the system hands out again later is not taken for it.
    std::int32_t ended_process_id_ = 0;
    // The awaited task whose assembly has been started again, and how often.
    std::int32_t restarted_task_ = 0;
    std::int32_t restarts_ = 0;
    // When this run's last batch was seen merged (-1: none since its start).
    std::int64_t batch_merged_ms_ = -1;
};

}  // namespace zelkon
