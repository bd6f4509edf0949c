#pragma once

#include <cstdint>
#include <string>

#include "assembly/assembly.h"
#include "engine/prompt_tick.h"
#include "engine/run_control.h"
#include "engine/server_connections.h"
#include "model/fixed_ms.h"
#include "model/run_records.h"

namespace zelkon {

// The task timer's tick and what it drives: dispatch of waiting tasks,
// completion and hang detection, and the speed ranking.
class TaskEngine : public HungServerCheck {
  public:
    TaskEngine(RunRecords records, RunServices services, ServerConnections& channels,
               EventPump& events, Timer& timer, TimerFactory& timers, FolderWatch& folder_watch,
               RunControl& run_control)
        : job(records.job),
          data(records.data),
          servers(records.servers),
          tasks(records.tasks),
          run(records.run),
          channels(channels),
          files(services.files),
          clock(services.clock),
          events(events),
          process_log(services.process_log),
          host(services.host),
          view(services.view),
          Timer_cluster_task(timer),
          run_control_(run_control),
          assembly_(records, services, *this),
          prompt_tick_(timers, folder_watch, timer, [this] { Timer_cluster_task_Timer(); }) {}

    void Timer_cluster_task_Timer();
    void allocate_task_to_server();
    void check_for_completed_tasks();
    void check_for_hung_server(std::int32_t& hung_count) override;
    void update_speed_stats();

    Assembly& assembly() { return assembly_; }

  private:
    // The tick.
    void run_tick_steps();
    void show_elapsed_time();
    bool last_task_assembled() const;
    void finish_run();

    // Dispatch.
    std::int32_t first_waiting_task(std::int32_t from) const;
    std::int32_t first_free_server() const;
    // False when the server could not start the task and is now out of service.
    bool start_task_on_server(std::int32_t task, std::int32_t server);
    std::int32_t start_command(std::int32_t server, const std::string& command);
    std::int32_t start_through_pipe(std::int32_t server, const std::string& command);
    std::int32_t start_through_management(std::int32_t server, const std::string& command);
    void take_out_after_failed_start(std::int32_t server);
    // True when the server's start was refused after it returned; the
    // server is then out of service and its task waits again.
    bool take_out_if_start_refused(std::int32_t server);
    // ": " and the starter's reason for the failed start, or "".
    std::string start_failure_reason(std::int32_t server) const;
    void end_run_when_no_server_is_left();
    void book_start(std::int32_t task, std::int32_t server);

    // Completion and hangs.
    // Throws when the task's log cannot be read.
    void collect_if_complete(std::int32_t server);
    void book_completion(std::int32_t server, FixedMs compute, const std::string& clock_line);
    void book_failure(std::int32_t server, const std::string& error_file);
    void take_out_hung_server(std::int32_t server);
    // Logs why the server's task gave no result: the first line of its .err
    // file when the task program left one (the file goes, so that the next
    // attempt's reason is its own).
    void log_task_failure(std::int32_t server);
    // kNoTaskServerLeft, with what explains it: a job folder that cannot be
    // written, or the last reason a task gave.
    std::string why_no_task_server_is_left();

    // Shared.
    FixedMs tick_count_ms() const;
    // A line of the process log, after the time of day, while the log is open.
    void write_process_log(const std::string& text);

    const JobSettings& job;
    const JobData& data;
    ServerTable& servers;
    TaskTable& tasks;
    RunProgress& run;
    ServerConnections& channels;
    FileSystem& files;
    Clock& clock;
    EventPump& events;
    ProcessLog& process_log;
    FormHost& host;
    RunView& view;
    Timer& Timer_cluster_task;
    RunControl& run_control_;
    Assembly assembly_;
    PromptTick prompt_tick_;
};

}  // namespace zelkon
