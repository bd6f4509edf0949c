// Stages 12 to 24: the init, its log, continuing a matrix and dividing the data into tasks.
#include "setup/initialisation_stage.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "assembly/assembly_log.h"
#include "platform/error.h"
#include "run_bench.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;  // key, line replacing it

// Job 12 in /inv/demo; the init writes the log lines a test sets, and the cluster file.
class InitialisationTest : public ::testing::Test, public RunBench {
  protected:
    InitialisationTest() {
        job.job_id = "12";
        job.local_path = kInversion;
        job.local_computer_name = fake.computer_name.name;
        job.task_target = 100;
        data.assembly_log_file = "/inv/demo/zelkon_cluster_000012_assembly.dat";
        fake.files.add_file("/inv/demo/zelkon_cluster_000012.zcd", "cluster data");
        fake.processes.on_start = [this](const FakeProcessStarter::Started&) {
            std::string content;
            for (const auto& line : init_log) {
                content += line + "\r\n";
            }
            fake.files.add_file("/inv/demo/zelkon_cluster_init_12.log", content);
        };
    }

    void set_lines(const Lines& lines) {
        for (const auto& [key, line] : lines) {
            auto found = std::find_if(init_log.begin(), init_log.end(),
                                      [&](const std::string& s) { return s.starts_with(key); });
            *(found == init_log.end() ? &init_log.emplace_back() : &*found) = line;
        }
    }
    void divide(int num_data, std::int32_t target) {
        set_lines(
            {{"Number of observed data", "Number of observed data: " + std::to_string(num_data)}});
        job.task_target = target;
        fake.dialogs.messages.clear();
        ASSERT_TRUE(run_stages()) << fake.dialogs.messages.front();
    }
    // Stages 12 to 24; false when one stopped, its message shown.
    bool run_stages(int index = 1) {
        setup = SetupProgress{};
        setup.index = index;
        assembly_state.assembly_log_lines.assign(kAssemblyLogGrowth + 1, "");  // as stage 1 does
        return stage.run_zelkon_init(setup) && stage.read_init_log(setup) &&
               stage.check_init_results_and_divide(setup);
    }
    // An earlier run's assembly log, task t ending at t * step.
    void write_assembly_log(int last_task, int step, int skipped = 0) {
        std::string log = "   TaskID   First    Last\r\n";
        for (int t = 1; t <= last_task; ++t) {
            char line[128];
            std::snprintf(line, sizeof line, "%7d%8d%8d%23s%10.3f%13s%12d%13s\r\n", t,
                          (t - 1) * step + 1, t * step, "", 1.0, "", 4096, "");
            log += t == skipped ? "" : line;
        }
        fake.files.add_file(data.assembly_log_file, log);
        fake.files.add_file("/inv/demo/parvex.mtx", "matrix bytes");
    }
    // Each task from first on takes data_step points but the last, which ends the data.
    void expect_contiguous_division(std::int32_t first_task) {
        std::int32_t expected_first =
            first_task == 1 ? 1 : tasks.cluster_task[first_task - 1].last_datum + 1;
        for (std::int32_t t = first_task; t <= tasks.num_tasks; ++t) {
            const ClusterTask& task = tasks.cluster_task[t];
            ASSERT_EQ(task.first_datum, expected_first) << "task " << t;
            EXPECT_EQ(task.state, TaskState::waiting);
            if (t < tasks.num_tasks) {
                ASSERT_EQ(task.last_datum - task.first_datum + 1, tasks.data_step) << t;
            }
            expected_first = task.last_datum + 1;
        }
        EXPECT_EQ(tasks.cluster_task[tasks.num_tasks].last_datum, data.num_data);
        EXPECT_EQ(tasks.cluster_task.size(), tasks.num_tasks);
    }

    std::vector<std::string> init_log = split_text_lines(
        "Zelkon cluster initialisation\nNumber of observed data: 1004\nNumber of x cells: 100 "
        "cells\nNumber of y cells: 100\nNumber of z cells: 50\nNumber of Components: 1\n"
        "Data type, restart: 1\nData type: gz\nno error found\n"
        "Cluster File: zelkon_cluster_000012.zcd");
    SetupProgress setup;
    AssemblyLog assembly_log{data, assembly_state, fake.files, fake.dialogs};
    InitialisationServices services{fake.files, fake.processes, fake.management, fake.dialogs,
                                    host};
    InitialisationStage stage{controls,          job,          data,    tasks, assembly_state,
                              wmi_process_class, assembly_log, services};
};

// After a second colon in the restart value the rest counts; no cell count gives no size.
TEST_F(InitialisationTest, ReadsTheInitLogAndDividesTheDataIntoTasks) {
    ASSERT_TRUE(run_stages());
    EXPECT_EQ(std::tuple(data.num_x_cells, data.component_suffix[1], data.mtx_mb_per_datum,
                         controls.Text_mtx_mz.text, controls.Text_tasks_remaining.text),
              std::tuple(100, "gz", 1.9073486328125, "50", "100"));
    set_lines({{"Number of Components", "Number of Components: 2"},
               {"Data type, restart", "Data type, restart: codes: 3 4"},
               {"Data type:", "Data type: gz gx"},
               {"Number of z cells", "Number of z cells: none"}});
    ASSERT_TRUE(run_stages());
    EXPECT_EQ(data.component_data_type[2], 4);
    EXPECT_DOUBLE_EQ(data.mtx_mb_per_datum, 0.0);
}

TEST_F(InitialisationTest, AnInitThatDoesNotStartOrWritesNoLogStopsTheSetUp) {
    fake.processes.fail_starts = true;
    EXPECT_FALSE(run_stages());
    job.use_rpc = true;  // then it starts here, in the current folder
    EXPECT_FALSE(run_stages());
    fake.processes.fail_starts = false;
    fake.processes.on_start = nullptr;
    EXPECT_FALSE(run_stages());
    EXPECT_EQ(fake.processes.started.back().folder, "");
    EXPECT_EQ(fake.dialogs.messages,
              (std::vector<std::string>{
                  "The Zelkon cluster initialisation stage did not start: 9",
                  "The Zelkon cluster initialisation stage did not start: -1",
                  "The Zelkon cluster initialisation stage did not generate a log file"}));
}

// A stage stops with its message, or throws for the set-up to report (stage > 0).
TEST_F(InitialisationTest, ABadInitLogStopsWithItsMessage) {
    const std::string init = "The Zelkon cluster initialisation stage ";
    const std::string suffix2 = init + "did not correctly specify the data suffix for component 2";
    const Lines two = {{"Number of Components", "Number of Components: 2"},
                       {"Data type, restart", "Data type, restart: 1 2"}};
    auto with_two = [&two](const Lines& more) {
        Lines lines = two;
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    const std::string not_generated =
        "The Zelkon cluster cluster data file was not generated correctly";
    const std::tuple<int, std::string, Lines> cases[] = {
        {0,
         init + "did not read the observed data correctly",
         {{"Number of observed data", "Number of observed data = 500"}}},
        {0,
         init + "encountered an error: Reading mesh: MeshError in cell 4",
         {{"Reading mesh", "  Reading mesh: MeshError in cell 4  "}}},
        {0, init + "did not correctly specify the data type for component 2 correctly",
         with_two({{"Data type, restart", "Data type, restart: 1 x"}})},
        {0, suffix2, with_two({{"Data type:", "Data type: gz"}})},
        {0, suffix2, with_two({{"Data type:", "Data type: gz ../../etc/x"}})},
        {0,
         init + "did not read the Number of Components correctly",
         {{"Number of Components", "Number of Components: 0"}}},
        {0, not_generated, {{"Cluster File", "Cluster File:   "}}},
        {0, not_generated, {{"Number of observed data", "Number of observed data: 0"}}},
        {0,
         "The Zelkon cluster cluster data file does not exist",
         {{"Cluster File", "Cluster File: other.zcd"}}},
        {16,
         "Subscript out of range",
         {{"Number of Components", "Number of Components: 7"},
          {"Data type, restart", "Data type, restart: 1 2 3 4 5 6 7"}}},
        {16, "Overflow", {{"Number of observed data", "Number of observed data: 1e12"}}},
    };
    const std::vector<std::string> good = init_log;
    for (const auto& [stage_thrown, message, lines] : cases) {
        SCOPED_TRACE(message);
        init_log = good;
        set_lines(lines);
        fake.dialogs.messages.clear();
        try {
            EXPECT_FALSE(run_stages());
            EXPECT_EQ(fake.dialogs.messages, std::vector<std::string>{message});
            EXPECT_EQ(stage_thrown, 0);
        } catch (const ZelkonError& error) {
            EXPECT_EQ(error.description(), message);
            EXPECT_EQ(setup.setup_stage, stage_thrown);
        }
    }
}

// Step at least 5; a target of 1 or less becomes 100; the last task takes under two steps.
TEST_F(InitialisationTest, TheDivisionCoversEveryPointOnce) {
    const std::tuple<int, std::int32_t, std::int32_t, std::int32_t, std::int32_t> edges[] = {
        {30, 100, 5, 6, 26}, {1000, 100, 10, 100, 991}, {7, 1, 5, 1, 1}};
    for (const auto& [num_data, target, step, num_tasks, last_first] : edges) {
        divide(num_data, target);
        EXPECT_EQ(
            std::tuple(tasks.data_step, tasks.num_tasks, tasks.cluster_task[num_tasks].first_datum),
            std::tuple(step, num_tasks, last_first));
    }
    for (int num_data : {5, 11, 149, 151, 4999}) {
        for (std::int32_t target : {3, 7, 1000}) {
            SCOPED_TRACE(std::to_string(num_data) + " in " + std::to_string(target));
            divide(num_data, target);
            expect_contiguous_division(1);
        }
    }
}

TEST_F(InitialisationTest, AStartContinuesTheMatrixAfterItsLastTask) {
    write_assembly_log(40, 10);
    divide(1000, 100);
    EXPECT_EQ(std::tuple(tasks.cluster_task[40].state, tasks.data_done_at_start),
              std::tuple(TaskState::assembled, 400));
    expect_contiguous_division(41);
    // With a different step no task is left empty.
    write_assembly_log(40, 20);
    divide(1015, 100);
    expect_contiguous_division(41);
    // A log that holds task 1 alone continues from task 2.
    write_assembly_log(1, 10);
    divide(1000, 100);
    EXPECT_EQ(std::tuple(tasks.cluster_task[1].state, tasks.data_done_at_start),
              std::tuple(TaskState::assembled, 10));
    expect_contiguous_division(2);
    // Answering No, or testing the set-up, divides afresh.
    fake.dialogs.answers.push_back(false);
    divide(1000, 100);
    expect_contiguous_division(1);
    fake.dialogs.questions.clear();
    ASSERT_TRUE(run_stages(0));
    EXPECT_TRUE(fake.dialogs.questions.empty());
    expect_contiguous_division(1);
}

// A log lacking a task below its last one would leave that task without data: invalid.
TEST_F(InitialisationTest, AnInvalidMatrixLogStopsTheStart) {
    const std::pair<int, std::string> cases[] = {
        {2, "The mtx assembly file is not valid"},
        {-1, "The mtx assembly file is not valid"},
    };
    set_lines({{"Number of observed data", "Number of observed data: 1000"}});
    for (const auto& [skipped, message] : cases) {
        write_assembly_log(100, 10, skipped);
        if (skipped < 0) {
            fake.files.add_file(data.assembly_log_file, "   TaskID\r\n     40  garbage\r\n");
        }
        fake.dialogs.messages.clear();
        EXPECT_FALSE(run_stages());
        EXPECT_EQ(fake.dialogs.messages, std::vector<std::string>{message});
    }
}

}  // namespace
}  // namespace zelkon
