#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "assembly/assembly.h"
#include "platform/error.h"
#include "run_bench.h"

namespace zelkon {

// An assembly log data line: columns 1-7 task, 8-15 first, 16-23 last, 47-56 s, 70+ bytes.
inline std::string data_line(int task, int first, int last, double seconds,
                             const std::vector<long long>& sizes) {
    char text[400];
    int at = std::snprintf(text, sizeof text, "%7d%8d%8d%23s%10.3f%13s", task, first, last, "",
                           seconds, "");
    for (long long size : sizes) {
        at += std::snprintf(text + at, sizeof text - static_cast<std::size_t>(at), "%12lld%13s",
                            size, "");
    }
    return text;
}

class CountingHangCheck : public HungServerCheck {
  public:
    void check_for_hung_server(std::int32_t& hung_count) override {
        hung_count = 0;
        ++calls;
    }
    int calls = 0;
};

// Assembly alone on job 12: task t ran on server (t - 1) mod servers + 1 ("nodeS/1").
class AssemblyTest : public ::testing::Test, public RunBench {
  protected:
    static constexpr const char* kAssemblyLog = "/inv/demo/zelkon_cluster_000012_assembly.dat";
    static constexpr const char* kErrorFile = "/inv/demo/zelkon_cluster_000012_assembly.err";

    void seed(int num_tasks, int num_servers) {
        seed_run({{"nodeA", num_servers, 0}}, num_tasks);
        job.use_rpc = true;
        data.assembly_log_file = kAssemblyLog;
        data.num_components = 2;
        for (int t = 1; t <= num_tasks; ++t) {
            tasks.cluster_task[t].name = task_name(t);
            tasks.cluster_task[t].server = (t - 1) % num_servers + 1;
            tasks.cluster_task[t].server_label =
                "node" + std::to_string((t - 1) % num_servers + 1) + "/1";
        }
        assembly_state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");
    }
    void complete(int first, int last) {
        for (int t = first; t <= last; ++t) {
            tasks.cluster_task[t].state = TaskState::complete;
        }
    }
    // A merged task's log line (after a header when the log is new), then its marker.
    void merge(int task, double seconds = 0.0) {
        std::string log = fake.files.file_exists(kAssemblyLog) ? fake.files.content(kAssemblyLog)
                                                               : "   TaskID  First   Last\r\n";
        const ClusterTask& record = tasks.cluster_task[task];
        log += data_line(task, record.first_datum, record.last_datum, seconds, {1048576, 1048576});
        fake.files.add_file(kAssemblyLog, log + "\r\n");
        fake.files.add_file(marker(task), "");
    }
    std::string marker(int task) const { return task_file(task, ".old"); }
    // ierr, or the description of the error that ends the run.
    std::string assemble() {
        std::int32_t ierr = -7;
        try {
            assembly.assemble_completed_tasks(ierr);
        } catch (const ZelkonError& error) {
            return error.description();
        }
        return std::to_string(ierr);
    }
    int starts() const { return static_cast<int>(fake.processes.started.size()); }
    std::string last_command() const { return fake.processes.started.back().command_line; }
    static std::string command(const std::string& rest) {
        return "zelkon_cluster_assemble /data/Work/Job_12/zelkon_cluster_000012.zcd " + rest;
    }

    CountingHangCheck hang;
    Assembly assembly{records(), services(), hang};
};

}  // namespace zelkon
