#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/server_connections.h"
#include "model/form_controls.h"
#include "model/form_host.h"
#include "model/job_settings.h"
#include "model/server_records.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/management_service.h"
#include "platform/pipe_transport.h"
#include "platform/platform.h"
#include "platform/slurm_steps.h"
#include "platform/system_info.h"
#include "setup/setup_progress.h"

namespace zelkon {

// The stages that prepare the task servers: the statistics grid, the pipe
// clients, each machine's job folder, the channels and the connection test.
// The platform interfaces the server setup reaches the machines through.
struct ServerSetupServices {
    FileSystem& files;
    Clock& clock;
    EventPump& events;
    ManagementService& management;
    SlurmSteps& slurm;
    PipeTransport& pipes;
    TimerFactory& timers;
    ComputerName& computer_name;
    Environment& environment;
    FormHost& host;
};

// Those of a whole platform.
inline ServerSetupServices server_setup_services(const Platform& platform, FormHost& host) {
    return {platform.files,       platform.clock,
            platform.events,      platform.management,
            platform.slurm,       platform.pipes,
            platform.timers,      platform.computer_name,
            platform.environment, host};
}

// The pipe each task server's listener serves.
inline constexpr const char* kServerPipeName = "Zelkon_Server";

class ServerSetup {
  public:
    ServerSetup(FormControls& controls, const JobSettings& job, JobData& data, ServerTable& servers,
                ServerConnections& channels, ServerSetupServices services)
        : controls(controls),
          job(job),
          data(data),
          servers(servers),
          channels(channels),
          files(services.files),
          clock(services.clock),
          events(services.events),
          management(services.management),
          slurm(services.slurm),
          pipes(services.pipes),
          timers(services.timers),
          computer_name(services.computer_name),
          environment(services.environment),
          host(services.host) {}

    // Stage 6.
    void setup_display_grid();
    // Stages 7 and 8, with RPC only.
    void update_number_of_pipes();
    void address_the_pipes();
    // Stage 10.
    void set_up_machine_work_folders(SetupProgress& setup);
    // After stage 10: begins reaching every other machine, so that their
    // logins overlap each other and the initialisation.
    void reach_machines_ahead();
    // Ends the pipe dials begun ahead that no opening took up.
    void drop_dials_ahead() { pipes.drop_dials_ahead(); }
    // For a stage-10 failure on another machine's folder (its description
    // names a path under the net root): how such folders are reached.
    // Otherwise "".
    std::string remote_folder_hint(const std::string& description) const;
    // Stage 25.
    void open_task_server_channels(SetupProgress& setup);
    // Stage 26.
    void test_server_connections(SetupProgress& setup);

  private:
    // Stage 10.
    std::string create_folder_chain(const std::string& start_path);
    void set_up_machine_folder(SetupProgress& setup, std::int32_t machine);
    // Stage 25.
    std::vector<bool> open_first_pipes(SetupProgress& setup);
    void open_pipe_unless_unreachable(SetupProgress& setup, std::int32_t server);
    void open_pipe(SetupProgress& setup, std::int32_t server);
    void dial_rest_of_machine_ahead(const TaskServer& server);
    void connect_process_class(std::int32_t server, std::shared_ptr<ProcessClass>& machine_class);
    void empty_earlier_job_folders(SetupProgress& setup);
    void copy_cluster_data_file();
    // Stage 26.
    void mark_unopened_servers();
    void create_semaphore_file(SetupProgress& setup);
    void test_machine(SetupProgress& setup, std::int32_t machine);
    std::int32_t call_pipe(const Machine& machine, const std::string& text, std::string& reply);
    bool listener_answers(const Machine& machine);
    std::int32_t send_listing_by_pipe(const Machine& machine, const std::string& command);
    std::int32_t start_listing_by_process_class(const Machine& machine, const std::string& command);
    std::int32_t test_slurm_node(SetupProgress& setup, const Machine& machine,
                                 const std::string& listing);
    bool listing_appeared(SetupProgress& setup, const Machine& machine, int wait_ms);
    void remove_listing(const std::string& listing);
    void fail_machine(SetupProgress& setup, const Machine& machine);
    void set_enabled_color(std::int32_t server, std::uint32_t color);
    void wait_and_let_events_run(int milliseconds);

    FormControls& controls;
    const JobSettings& job;
    JobData& data;
    ServerTable& servers;
    ServerConnections& channels;
    FileSystem& files;
    Clock& clock;
    EventPump& events;
    ManagementService& management;
    SlurmSteps& slurm;
    PipeTransport& pipes;
    TimerFactory& timers;
    ComputerName& computer_name;
    Environment& environment;
    FormHost& host;
};

}  // namespace zelkon
