#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "assembly/assembly.h"
#include "assembly_lines.h"
#include "controller/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// Counts the hang checks the assembly runs.
class CountingHangCheck : public HungServerCheck {
  public:
    void check_for_hung_server(std::int32_t& hung_count) override {
        hung_count = 0;
        ++calls;
    }
    int calls = 0;
};

inline const std::string kInversion = "/inv/";
inline const std::string kJobFolder = "/work/Job_12/";
inline const std::string kAssemblyLog = "/inv/zelkon_cluster_12_assembly.dat";
inline const std::string kErrorFile = "/inv/zelkon_cluster_12_assembly.err";
inline const std::string kProcessLog = "/inv/zelkon_cluster_12_process.log";
inline constexpr int kDataPerTask = 100;

// A running job 12 whose tasks hold 100 data points each; task t ran on
// task server (t - 1) mod servers + 1, labelled "nodeS/1". Tests mark tasks
// complete, play the assembly program's part with merge(), and call the
// assembly as the task timer does.
class AssemblyTest : public ::testing::Test {
  protected:
    void seed_run(int tasks, int servers) {
        fake.files.add_folder(kInversion);
        fake.files.add_folder(kJobFolder);
        state.local_path = kInversion;
        state.local_work_path = kJobFolder;
        state.cluster_data_file = "zelkon_cluster_12.zcd";
        state.assembly_log_file = kAssemblyLog;
        state.use_rpc = true;
        state.num_components = 2;
        state.num_data = tasks * kDataPerTask;
        state.num_tasks = tasks;
        state.cluster_task.assign(tasks);
        for (int t = 1; t <= tasks; ++t) {
            ClusterTask& task = state.cluster_task[t];
            char name[64];
            std::snprintf(name, sizeof name, "Zelkon_job_000012_task_%06d", t);
            task.name = name;
            task.first_datum = (t - 1) * kDataPerTask + 1;
            task.last_datum = t * kDataPerTask;
            task.server = (t - 1) % servers + 1;
            task.server_label = "node" + std::to_string(task.server) + "/1";
        }
        state.task_servers.assign(servers);
        controls.Grid_server_stats.set_cols(6);
        controls.Grid_server_stats.set_rows(servers + 1);
        state.assembly_log_lines.assign(5121, "");
        state.assembly_log_last_task = 0;
        state.last_assembled_task = 0;
        state.assembly_running = false;
        state.run_terminated = false;
        state.process_log = fake.files.open_writer(kProcessLog, false);
    }

    void complete(int first, int last) {
        for (int t = first; t <= last; ++t) {
            state.cluster_task[t].state = TaskState::complete;
        }
    }

    // What the assembly program writes once it has merged a task: its log
    // line (after the header when the log is new), then its marker.
    void merge(int task, double seconds = 0.0, long long bytes = 1048576) {
        std::string log = fake.files.file_exists(kAssemblyLog) ? fake.files.content(kAssemblyLog)
                                                               : "   TaskID  First   Last\r\n";
        const ClusterTask& record = state.cluster_task[task];
        log += data_line(task, record.first_datum, record.last_datum, seconds, {bytes, bytes});
        fake.files.add_file(kAssemblyLog, log + "\r\n");
        fake.files.add_file(marker(task), "");
    }

    std::string marker(int task) { return kJobFolder + state.cluster_task[task].name + ".old"; }

    std::int32_t assemble() {
        std::int32_t ierr = -7;
        assembly.assemble_completed_tasks(ierr);
        return ierr;
    }

    int starts() const { return static_cast<int>(fake.processes.started.size()); }
    const FakeProcessStarter::Started& last_start() const { return fake.processes.started.back(); }
    // The command line that the assembly of tasks first.. gets.
    static std::string command(const std::string& rest) {
        return "zelkon_cluster_assemble /work/Job_12/zelkon_cluster_12.zcd " + rest;
    }
    std::string process_log() const { return fake.files.content(kProcessLog); }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    RunState& state = form.state;
    FormControls& controls = form.controls;
    FormContext context{form.controls, form.state, form.platform, *form.Timer_cluster_task,
                        form.hooks};
    CountingHangCheck hang;
    Assembly assembly{context, hang};
};

}  // namespace zelkon
