// One tick of the task timer in a large run: 100,000 tasks and 1,000 task
// servers, all busy, with the file system in memory and on local disk, and
// the resident memory such a run state takes. The number of tasks already
// assembled is the argument: a tick's cost must not grow with it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"
#include "platform/posix_file_system.h"

namespace zelkon {
namespace {

constexpr std::int32_t kTasks = 100000;
constexpr std::int32_t kMachines = 100;
constexpr std::int32_t kServersPerMachine = 10;
constexpr std::int32_t kDataPerTask = 100;

// Resident memory of this process, from /proc, in megabytes.
double resident_mb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

Platform with_files(FakePlatform& fake, FileSystem& files) {
    Platform platform = fake.bundle();
    return Platform{files,
                    platform.processes,
                    platform.management,
                    platform.pipes,
                    platform.clock,
                    platform.timers,
                    platform.events,
                    platform.settings,
                    platform.dialogs,
                    platform.current_directory,
                    platform.computer_name,
                    platform.environment,
                    platform.slurm,
                    platform.folder_watch};
}

void seed_servers(Form_zelkon_cluster_controller& form, FakePlatform& fake) {
    form.servers.machines.assign(kMachines);
    form.servers.task_servers.assign(kMachines * kServersPerMachine);
    for (std::int32_t m = 1; m <= kMachines; ++m) {
        Machine& machine = form.servers.machines[m];
        machine.name = "node" + std::to_string(m);
        machine.count = kServersPerMachine;
        machine.first_task_server = (m - 1) * kServersPerMachine + 1;
        auto process_class = fake.management.connect(machine.name);
        for (std::int32_t i = 0; i < kServersPerMachine; ++i) {
            TaskServer& server = form.servers.task_servers[machine.first_task_server + i];
            server.name = machine.name;
            server.machine = m;
            server.instance = i;
            server.work_path = form.job.network_work_path;
            // Every server has reported, so the hang check looks at each one.
            server.tasks_completed = 1;
            server.data_per_min = 50.0f;
            form.channels.server_wmi_process.push_back(process_class);
            form.channels.server_process_id.push_back(0);
        }
    }
    form.controls.Grid_server_stats.set_cols(6);
    form.controls.Grid_server_stats.set_rows(form.servers.num_task_servers() + 1);
}

// Tasks up to `assembled` are in the matrix, the next 1,000 run, one on
// each server, and the rest wait. Every task carries its name and label,
// as after a start, so that the memory figure is the largest it gets.
void seed_tasks(Form_zelkon_cluster_controller& form, std::int32_t assembled) {
    form.tasks.num_tasks = kTasks;
    form.data.num_data = kTasks * kDataPerTask;
    form.tasks.cluster_task.assign(kTasks);
    form.tasks.last_assembled_task = assembled;
    for (std::int32_t t = 1; t <= kTasks; ++t) {
        ClusterTask& task = form.tasks.cluster_task[t];
        task.first_datum = (t - 1) * kDataPerTask + 1;
        task.last_datum = t * kDataPerTask;
        task.name = "Zelkon_job_000012_task_" + std::string(6 - std::to_string(t).size(), '0') +
                    std::to_string(t);
        task.server_label = "node1/0";
        task.state = t <= assembled ? TaskState::assembled : TaskState::waiting;
    }
    for (std::int32_t s = 1; s <= form.servers.num_task_servers(); ++s) {
        std::int32_t t = assembled + s;
        form.tasks.cluster_task[t].state = TaskState::running;
        form.tasks.cluster_task[t].server = s;
        TaskServer& server = form.servers.task_servers[s];
        server.busy = true;
        server.task = t;
        server.task_data = kDataPerTask;
        server.data_started = kDataPerTask;
    }
    form.tasks.num_tasks_processing = form.servers.num_task_servers();
}

void seed_run(Form_zelkon_cluster_controller& form, FakePlatform& fake, const std::string& job,
              std::int32_t assembled) {
    form.job.job_id = "12";
    form.job.local_work_path = job;
    form.job.network_work_path = job;
    form.data.cluster_data_file = "zelkon_cluster_000012.zcd";
    form.data.semaphore_file = job + "Zelkon_job_000012.sem";
    seed_servers(form, fake);
    seed_tasks(form, assembled);
    form.process_log.open(job + "process.log");
    form.run.run_terminated = false;
    form.run.run_start_tick_ms = fake.clock.tick_ms();
}

void report_tick(benchmark::State& state, Form_zelkon_cluster_controller& form) {
    for (auto _ : state) {
        form.Timer_cluster_task_Timer();
    }
    if (!form.servers.task_servers[1].busy || form.tasks.num_tasks_processing != 1000) {
        state.SkipWithError("the tick changed the run it was measured on");
    }
    state.counters["resident_MB"] = resident_mb();
}

// What the run state of 100,000 named tasks and 1,000 servers adds to the
// resident memory; measured first, before other benchmarks leave freed
// memory in the heap.
void BM_RunStateMemory(benchmark::State& state) {
    double before = resident_mb();
    double resident = 0;
    for (auto _ : state) {
        auto fake = std::make_unique<FakePlatform>();
        auto form = std::make_unique<Form_zelkon_cluster_controller>(fake->bundle());
        seed_run(*form, *fake, "/data/Work/Job_12/", 0);
        resident = resident_mb();
    }
    state.counters["run_state_MB"] = resident - before;
    state.counters["resident_MB"] = resident;
}
BENCHMARK(BM_RunStateMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TickAllBusyInMemory(benchmark::State& state) {
    FakePlatform fake;
    fake.files.add_folder("/data/Work/Job_12");
    Form_zelkon_cluster_controller form{fake.bundle()};
    seed_run(form, fake, "/data/Work/Job_12/", static_cast<std::int32_t>(state.range(0)));
    report_tick(state, form);
}
BENCHMARK(BM_TickAllBusyInMemory)
    ->Arg(0)
    ->Arg(50000)
    ->Arg(99000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);

// The job folder on local disk. No task has written its files yet, so the
// completion check tests both the semaphore and the log of every server:
// 2,000 files per tick.
void BM_TickAllBusyOnLocalDisk(benchmark::State& state) {
    char pattern[] = "/tmp/zelkon-engine-bench-XXXXXX";
    std::string job = std::string(mkdtemp(pattern)) + "/";
    FakePlatform fake;
    PosixFileSystem disk;
    Form_zelkon_cluster_controller form{with_files(fake, disk)};
    seed_run(form, fake, job, static_cast<std::int32_t>(state.range(0)));
    report_tick(state, form);
    form.process_log.close();
    std::filesystem::remove_all(job);
}
BENCHMARK(BM_TickAllBusyOnLocalDisk)
    ->Arg(0)
    ->Arg(99000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(1.0);

}  // namespace
}  // namespace zelkon

BENCHMARK_MAIN();
