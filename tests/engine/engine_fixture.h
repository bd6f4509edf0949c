#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {

// One line of a server list as the set-up leaves it.
struct MachineSpec {
    std::string name;
    std::int32_t count = 1;
    std::int32_t threads = 0;
    bool local = false;
};

// A form in the middle of a run, seeded directly: job 12, its machines and
// task servers opened through the management service, tasks of 100 data
// points each, the job's semaphore file and an open process log. The task
// timer stays off until a test arms it, so that a yield inside a procedure
// called directly delivers no tick; sleep_ms moves time without firing it.
class EngineTest : public ::testing::Test {
  protected:
    static constexpr const char* kJobPath = "/data/Work/Job_12/";
    static constexpr const char* kNetworkJobPath = "/net/CONTROL1/data/Work/Job_12/";
    static constexpr const char* kInversion = "/inv/demo/";
    static constexpr const char* kSemaphore = "/inv/demo/Zelkon_job_000012.sem";
    static constexpr const char* kProcessLog = "/inv/demo/zelkon_cluster_000012_process.log";
    static constexpr const char* kDataFile = "zelkon_cluster_000012.zcd";
    static constexpr std::int32_t kDataPerTask = 100;

    EngineTest() {
        form.hooks.on_run_ended = [this](RunOutcome outcome) { outcomes.push_back(outcome); };
        form.hooks.on_exit_requested = [this](int code) { exit_codes.push_back(code); };
    }

    void seed_run(const std::vector<MachineSpec>& machines, std::int32_t num_tasks);
    void seed_machine(std::int32_t index, const MachineSpec& spec);
    // The timer as the set-up leaves it: every 100 ms.
    void arm_timer();
    void lay_out_grid();
    // Runs a task as the task program does: its log, then its semaphore gone.
    void finish_task(std::int32_t task, const std::string& log_text);
    // Marks a server as busy with a task started `ago_ms` before now.
    void book_running(std::int32_t server, std::int32_t task, std::int64_t ago_ms);

    void tick() { form.Timer_cluster_task_Timer(); }
    std::string task_file(std::int32_t task, const std::string& extension) const;
    // The process log's lines, without their time of day.
    std::vector<std::string> process_log_lines() const;
    int count_in_run_log(const std::string& text) const;

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    FormControls& controls = form.controls;
    std::vector<RunOutcome> outcomes;
    std::vector<int> exit_codes;
};

}  // namespace zelkon
