#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "assembly/assembly.h"
#include "assembly_lines.h"
#include "form/Form_zelkon_cluster_controller.h"
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
        form.job.local_path = kInversion;
        form.job.local_work_path = kJobFolder;
        form.data.cluster_data_file = "zelkon_cluster_12.zcd";
        form.data.assembly_log_file = kAssemblyLog;
        form.job.use_rpc = true;
        form.data.num_components = 2;
        form.data.num_data = tasks * kDataPerTask;
        form.tasks.num_tasks = tasks;
        form.tasks.cluster_task.assign(tasks);
        for (int t = 1; t <= tasks; ++t) {
            ClusterTask& task = form.tasks.cluster_task[t];
            char name[64];
            std::snprintf(name, sizeof name, "Zelkon_job_000012_task_%06d", t);
            task.name = name;
            task.first_datum = (t - 1) * kDataPerTask + 1;
            task.last_datum = t * kDataPerTask;
            task.server = (t - 1) % servers + 1;
            task.server_label = "node" + std::to_string(task.server) + "/1";
        }
        form.servers.task_servers.assign(servers);
        controls.Grid_server_stats.set_cols(6);
        controls.Grid_server_stats.set_rows(servers + 1);
        form.assembly_state.assembly_log_lines.assign(5121, "");
        form.assembly_state.assembly_log_last_task = 0;
        form.tasks.last_assembled_task = 0;
        form.assembly_state.assembly_running = false;
        form.run.run_terminated = false;
        form.process_log.open(kProcessLog);
    }

    void complete(int first, int last) {
        for (int t = first; t <= last; ++t) {
            form.tasks.cluster_task[t].state = TaskState::complete;
        }
    }

    // What the assembly program writes once it has merged a task: its log
    // line (after the header when the log is new), then its marker.
    void merge(int task, double seconds = 0.0, long long bytes = 1048576) {
        std::string log = fake.files.file_exists(kAssemblyLog) ? fake.files.content(kAssemblyLog)
                                                               : "   TaskID  First   Last\r\n";
        const ClusterTask& record = form.tasks.cluster_task[task];
        log += data_line(task, record.first_datum, record.last_datum, seconds, {bytes, bytes});
        fake.files.add_file(kAssemblyLog, log + "\r\n");
        fake.files.add_file(marker(task), "");
    }

    std::string marker(int task) { return kJobFolder + form.tasks.cluster_task[task].name + ".old"; }

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
    FormControls& controls = form.controls;
    CountingHangCheck hang;
    Assembly assembly{RunRecords{form.controls, form.job, form.data, form.servers, form.tasks,
                                 form.assembly_state, form.run, form.estimates,
                                 form.wmi_process_class},
                      form.run_services, hang};
};

}  // namespace zelkon
