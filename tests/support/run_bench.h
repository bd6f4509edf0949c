#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/server_connections.h"
#include "form/run_presenter.h"
#include "model/form_controls.h"
#include "model/form_host.h"
#include "model/process_log.h"
#include "model/run_records.h"
#include "platform/fake/fake_platform.h"
#include "platform/text_items.h"

namespace zelkon {

// One machine of a seeded run.
struct MachineSpec {
    std::string name;
    std::int32_t count = 1;
    std::int32_t threads = 0;
    bool local = false;
};

// The records of one run and the fakes around them, from which a test
// builds the one subsystem it pins down, without the form. seed_run leaves
// job 12 in the middle of its run: its machines' task servers connected
// through the management service, tasks of 100 data points each, the job's
// semaphore file and an open process log.
struct RunBench {
    static constexpr const char* kJobPath = "/data/Work/Job_12/";
    static constexpr const char* kNetworkJobPath = "/net/CONTROL1/data/Work/Job_12/";
    static constexpr const char* kInversion = "/inv/demo/";
    static constexpr const char* kSemaphore = "/inv/demo/Zelkon_job_000012.sem";
    static constexpr const char* kProcessLog = "/inv/demo/zelkon_cluster_000012_process.log";
    static constexpr const char* kDataFile = "zelkon_cluster_000012.zcd";
    static constexpr std::int32_t kDataPerTask = 100;

    FakePlatform fake;
    FormControls controls;
    FormHooks hooks;
    FormHost host{controls, hooks};
    JobSettings job;
    JobData data;
    ServerTable servers;
    TaskTable tasks;
    AssemblyProgress assembly_state;
    RunProgress run;
    Estimates estimates;
    ServerConnections channels;
    std::shared_ptr<ProcessClass> wmi_process_class;
    ProcessLog process_log{fake.files, fake.clock};
    // The window's presenter, so that a test sees what a run shows.
    RunPresenter presenter{controls, servers, tasks, run, estimates, fake.clock};
    std::unique_ptr<Timer> task_timer = fake.clock.create_timer();
    std::vector<RunOutcome> outcomes;
    std::vector<int> exit_codes;

    RunBench() {
        hooks.on_run_ended = [this](RunOutcome outcome) { outcomes.push_back(outcome); };
        hooks.on_exit_requested = [this](int code) { exit_codes.push_back(code); };
    }

    RunRecords records() {
        return RunRecords{job, data,      servers,          tasks, assembly_state,
                          run, estimates, wmi_process_class};
    }
    RunServices services() {
        return RunServices{fake.files,  fake.processes, fake.management, fake.clock, fake.dialogs,
                           process_log, host,           presenter};
    }

    void seed_run(const std::vector<MachineSpec>& machines, std::int32_t num_tasks) {
        job.job_id = "12";
        job.local_path = kInversion;
        job.local_work_path = kJobPath;
        job.network_work_path = kNetworkJobPath;
        data.cluster_data_file = kDataFile;
        data.semaphore_file = kSemaphore;
        data.num_components = 1;
        fake.files.add_folder(kJobPath);
        fake.files.add_file(kSemaphore, "");
        servers.machines.assign(static_cast<std::int32_t>(machines.size()));
        for (std::int32_t i = 1; i <= servers.num_servers(); ++i) {
            seed_machine(i, machines[static_cast<std::size_t>(i - 1)]);
        }
        lay_out_grid();
        tasks.num_tasks = num_tasks;
        data.num_data = num_tasks * kDataPerTask;
        tasks.cluster_task.assign(num_tasks);
        for (std::int32_t t = 1; t <= num_tasks; ++t) {
            tasks.cluster_task[t].first_datum = (t - 1) * kDataPerTask + 1;
            tasks.cluster_task[t].last_datum = t * kDataPerTask;
        }
        process_log.open(kProcessLog);
        run.run_terminated = false;
        run.run_start_time = fake.clock.now();
        run.run_start_tick_ms = fake.clock.tick_ms();
        controls.Text_overheads.text = "100";
    }

    // The timer as the set-up leaves it: every 100 ms.
    void arm_timer() {
        task_timer->set_interval(100);
        task_timer->set_enabled(true);
    }

    // Runs a task as the task program does: its log, then its semaphore gone.
    void finish_task(std::int32_t task, const std::string& log_text) {
        fake.files.add_file(task_file(task, ".log"), log_text);
        fake.files.delete_files(task_file(task, ".sem"), true);
    }

    // Marks a server busy with a task started `ago_ms` before now.
    void book_running(std::int32_t server, std::int32_t task, std::int64_t ago_ms) {
        TaskServer& slot = servers.task_servers[server];
        ClusterTask& record = tasks.cluster_task[task];
        record.name = task_name(task);
        record.state = TaskState::running;
        record.server = server;
        slot.busy = true;
        slot.task = task;
        slot.tasks_started += 1;
        slot.task_data = record.last_datum - record.first_datum + 1;
        slot.data_started += slot.task_data;
        slot.task_start_ms =
            FixedMs::from_scaled((fake.clock.tick_ms() - ago_ms) * FixedMs::kScale);
        tasks.num_tasks_processing += 1;
        fake.files.add_file(task_file(task, ".sem"), "");
    }

    static std::string task_name(std::int32_t task) {
        std::string digits = std::to_string(task);
        return "Zelkon_job_000012_task_" + std::string(6 - digits.size(), '0') + digits;
    }
    std::string task_file(std::int32_t task, const std::string& extension) const {
        return std::string(kJobPath) + task_name(task) + extension;
    }

    // The process log's lines, without their time of day.
    std::vector<std::string> process_log_lines() const {
        std::vector<std::string> lines;
        for (const std::string& line : split_text_lines(fake.files.content(kProcessLog))) {
            lines.push_back(line.size() > 8 ? line.substr(8) : line);  // after "Hh:Nn:Ss"
        }
        return lines;
    }
    int count_in_run_log(const std::string& text) const {
        int count = 0;
        const std::string& log = controls.TextBox_run_log.text;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
            ++count;
        }
        return count;
    }

  private:
    void seed_machine(std::int32_t index, const MachineSpec& spec) {
        Machine& machine = servers.machines[index];
        machine.name = spec.name;
        machine.count = spec.count;
        machine.threads = spec.threads;
        machine.is_local = spec.local;
        machine.first_task_server = servers.num_task_servers() + 1;
        machine.work_path = spec.local ? kJobPath : kNetworkJobPath;
        machine.network_path = spec.local ? kJobPath : "/net/" + spec.name + "/data/Work/Job_12/";
        for (std::int32_t instance = 0; instance < spec.count; ++instance) {
            TaskServer server;
            server.name = spec.name;
            server.machine = index;
            server.instance = instance;
            server.threads = spec.threads;
            server.work_path = spec.local ? "/data/Work/Job_12" : kNetworkJobPath;
            servers.task_servers.resize(servers.num_task_servers() + 1);
            servers.task_servers[servers.num_task_servers()] = server;
            channels.server_wmi_process.push_back(fake.management.connect(spec.name));
            channels.server_process_id.push_back(0);
        }
    }

    void lay_out_grid() {
        GridControl& grid = controls.Grid_server_stats;
        grid.set_cols(6);
        grid.set_rows(servers.num_task_servers() + 1);
        for (std::int32_t row = 1; row <= servers.num_task_servers(); ++row) {
            grid.cell(row, kGridEnabledColumn).back_color = kColorGreen;
        }
    }
};

}  // namespace zelkon
