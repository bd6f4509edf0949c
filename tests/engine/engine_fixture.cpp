#include "engine_fixture.h"

#include "platform/posix_file_system.h"

namespace zelkon {

void EngineTest::seed_run(const std::vector<MachineSpec>& machines, std::int32_t num_tasks) {
    form.job.job_id = "12";
    form.job.local_path = kInversion;
    form.job.local_work_path = kJobPath;
    form.job.network_work_path = kNetworkJobPath;
    form.data.cluster_data_file = kDataFile;
    form.data.semaphore_file = kSemaphore;
    fake.files.add_folder(kJobPath);
    fake.files.add_file(kSemaphore, "");
    form.servers.machines.assign(static_cast<std::int32_t>(machines.size()));
    for (std::int32_t i = 1; i <= form.servers.num_servers(); ++i) {
        seed_machine(i, machines[static_cast<std::size_t>(i - 1)]);
    }
    lay_out_grid();
    form.tasks.num_tasks = num_tasks;
    form.data.num_data = num_tasks * kDataPerTask;
    form.tasks.cluster_task.assign(num_tasks);
    for (std::int32_t t = 1; t <= num_tasks; ++t) {
        form.tasks.cluster_task[t].first_datum = (t - 1) * kDataPerTask + 1;
        form.tasks.cluster_task[t].last_datum = t * kDataPerTask;
    }
    form.process_log.open(kProcessLog);
    form.run.run_terminated = false;
    form.run.timer_stage = 0;
    form.run.run_start_time = fake.clock.now();
    form.run.run_start_tick_ms = fake.clock.tick_ms();
    controls.Text_overheads.text = "100";
    controls.Command_start_cluster_run[0].enabled = false;
    controls.Command_stop_cluster_run.visible = true;
    controls.Command_pause_run[0].visible = true;
}

void EngineTest::arm_timer() {
    form.Timer_cluster_task->set_interval(100);
    form.Timer_cluster_task->set_enabled(true);
}

void EngineTest::seed_machine(std::int32_t index, const MachineSpec& spec) {
    Machine& machine = form.servers.machines[index];
    machine.name = spec.name;
    machine.count = spec.count;
    machine.threads = spec.threads;
    machine.is_local = spec.local;
    machine.first_task_server = form.servers.num_task_servers() + 1;
    machine.work_path = spec.local ? "/data/Work/Job_12/" : kNetworkJobPath;
    machine.network_path = spec.local ? kJobPath : "/net/" + spec.name + "/data/Work/Job_12/";
    for (std::int32_t instance = 0; instance < spec.count; ++instance) {
        TaskServer server;
        server.name = spec.name;
        server.machine = index;
        server.instance = instance;
        server.threads = spec.threads;
        server.work_path = spec.local ? "/data/Work/Job_12" : kNetworkJobPath;
        form.servers.task_servers.resize(form.servers.num_task_servers() + 1);
        form.servers.task_servers[form.servers.num_task_servers()] = server;
        form.channels.server_wmi_process.push_back(fake.management.connect(spec.name));
        form.channels.server_process_id.push_back(0);
    }
}

void EngineTest::lay_out_grid() {
    GridControl& grid = controls.Grid_server_stats;
    grid.set_cols(6);
    grid.set_rows(form.servers.num_task_servers() + 1);
    for (std::int32_t row = 1; row <= form.servers.num_task_servers(); ++row) {
        grid.cell(row, 1).back_color = kColorGreen;
    }
}

std::string EngineTest::task_file(std::int32_t task, const std::string& extension) const {
    return std::string(kJobPath) + form.tasks.cluster_task[task].name + extension;
}

void EngineTest::finish_task(std::int32_t task, const std::string& log_text) {
    fake.files.add_file(task_file(task, ".log"), log_text);
    fake.files.delete_files(task_file(task, ".sem"), true);
}

void EngineTest::book_running(std::int32_t server, std::int32_t task, std::int64_t ago_ms) {
    TaskServer& slot = form.servers.task_servers[server];
    ClusterTask& record = form.tasks.cluster_task[task];
    record.name = "Zelkon_job_000012_task_" + std::string(6 - std::to_string(task).size(), '0') +
                  std::to_string(task);
    record.state = TaskState::running;
    record.server = server;
    slot.busy = true;
    slot.task = task;
    slot.tasks_started += 1;
    slot.task_data = record.last_datum - record.first_datum + 1;
    slot.data_started += slot.task_data;
    slot.task_start_ms = FixedMs::from_scaled((fake.clock.tick_ms() - ago_ms) * FixedMs::kScale);
    form.tasks.num_tasks_processing += 1;
    fake.files.add_file(task_file(task, ".sem"), "");
}

std::vector<std::string> EngineTest::process_log_lines() const {
    std::vector<std::string> lines;
    for (const std::string& line : split_text_lines(fake.files.content(kProcessLog))) {
        // Each line is led by "Hh:Nn:Ss".
        lines.push_back(line.size() > 8 ? line.substr(8) : line);
    }
    return lines;
}

int EngineTest::count_in_run_log(const std::string& text) const {
    int count = 0;
    const std::string& log = controls.TextBox_run_log.text;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace zelkon
