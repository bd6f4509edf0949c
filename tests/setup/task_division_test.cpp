#include "../assembly/assembly_lines.h"
#include "run_setup_fixture.h"

namespace zelkon {
namespace {

// Every task but the last covers data_step points; together they cover
// 1..num_data with no gap or overlap, and none is left undefined.
void expect_contiguous_division(const TaskTable& tasks, std::int32_t num_data,
                                std::int32_t first_task) {
    std::int32_t expected_first =
        first_task == 1 ? 1 : tasks.cluster_task[first_task - 1].last_datum + 1;
    for (std::int32_t t = first_task; t <= tasks.num_tasks; ++t) {
        const ClusterTask& task = tasks.cluster_task[t];
        EXPECT_EQ(task.first_datum, expected_first) << "task " << t;
        EXPECT_EQ(task.state, TaskState::waiting) << "task " << t;
        if (t < tasks.num_tasks) {
            EXPECT_EQ(task.last_datum - task.first_datum + 1, tasks.data_step) << "task " << t;
        }
        expected_first = task.last_datum + 1;
    }
    EXPECT_EQ(tasks.cluster_task[tasks.num_tasks].last_datum, num_data);
    EXPECT_EQ(tasks.cluster_task.size(), tasks.num_tasks);
}

class TaskDivision : public RunSetupTest {
  protected:
    void divide(int num_data, const std::string& max_tasks) {
        set_init_line("Number of observed data",
                      "Number of observed data: " + std::to_string(num_data));
        form.controls.Text_max_tasks.text = max_tasks;
        // A run ends before the next is set up, as the buttons allow.
        form.run.run_terminated = true;
        form.run_control.cluster_cleanup();
        start();
        ASSERT_TRUE(fake.dialogs.messages.empty()) << fake.dialogs.messages.front();
    }
};

TEST_F(TaskDivision, ThousandAndFourPointsInAHundredTasks) {
    divide(1004, "100");
    EXPECT_EQ(form.tasks.data_step, 10);
    EXPECT_EQ(form.tasks.num_tasks, 100);
    EXPECT_EQ(form.tasks.cluster_task[99].last_datum, 990);
    EXPECT_EQ(form.tasks.cluster_task[100].first_datum, 991);
    EXPECT_EQ(form.tasks.cluster_task[100].last_datum, 1004);
    expect_contiguous_division(form.tasks, form.data.num_data, 1);
    // The display counts the tasks the run really has.
    EXPECT_EQ(form.controls.Text_tasks_remaining.text, "100");
    EXPECT_EQ(form.controls.ProgressBar_tasks.max, 100);
}

// The least step is five; a target of one or less becomes 100; the last task
// takes up to just under two steps.
TEST_F(TaskDivision, StepAndTaskCountAtTheEdges) {
    struct Case {
        int num_data;
        const char* target;
        std::int32_t step, tasks, last_first;
    };
    for (const Case& c :
         {Case{30, "100", 5, 6, 26}, Case{1000, "100", 10, 100, 991}, Case{7, "1", 5, 1, 1}}) {
        SCOPED_TRACE(c.num_data);
        divide(c.num_data, c.target);
        EXPECT_EQ(form.tasks.data_step, c.step);
        EXPECT_EQ(form.tasks.num_tasks, c.tasks);
        EXPECT_EQ(form.tasks.cluster_task[c.tasks].first_datum, c.last_first);
    }
    EXPECT_EQ(form.job.task_target, 100);
}

TEST_F(TaskDivision, ManyShapesAreAlwaysContiguous) {
    for (int num_data : {5, 6, 9, 11, 99, 101, 149, 151, 1015, 4999, 123457}) {
        for (const char* target : {"2", "3", "7", "100", "1000"}) {
            fake.dialogs.messages.clear();
            divide(num_data, target);
            expect_contiguous_division(form.tasks, form.data.num_data, 1);
        }
    }
}

// An earlier run's assembly log, whose lines end at the given data points.
std::string assembly_log(const std::vector<std::pair<int, int>>& tasks, long long bytes) {
    std::string log = "   TaskID   First    Last\r\n";
    int first = 1;
    for (const auto& [task, last] : tasks) {
        log += data_line(task, first, last, 1.0, {bytes}) + "\r\n";
        first = last + 1;
    }
    return log;
}

class Continuation : public TaskDivision {
  protected:
    void SetUp() override {
        TaskDivision::SetUp();
        fake.files.add_file("/inv/demo/parvex.mtx", "matrix bytes");
    }
    void write_assembly_log(int last_task, int step) {
        std::vector<std::pair<int, int>> tasks;
        for (int t = 1; t <= last_task; ++t) {
            tasks.push_back({t, t * step});
        }
        fake.files.add_file("/inv/demo/zelkon_cluster_000012_assembly.dat",
                            assembly_log(tasks, 4096));
    }
};

TEST_F(Continuation, ContinuesAfterTaskFortyAndKeepsTheMatrix) {
    write_assembly_log(40, 10);
    divide(1000, "100");
    EXPECT_EQ(fake.dialogs.questions, (std::vector<std::string>{"Use the existing mtx file?"}));
    EXPECT_EQ(form.tasks.num_tasks, 100);
    EXPECT_EQ(form.tasks.cluster_task[40].state, TaskState::assembled);
    EXPECT_EQ(form.tasks.cluster_task[40].last_datum, 400);
    EXPECT_EQ(form.tasks.cluster_task[41].first_datum, 401);
    EXPECT_EQ(form.tasks.data_done_at_start, 400);
    EXPECT_EQ(form.tasks.last_assembled_task, 40);
    expect_contiguous_division(form.tasks, form.data.num_data, 41);
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/parvex.mtx"));
    EXPECT_EQ(fake.files.content(kInfoFile).find("Kill"), std::string::npos);
    // The old log is copied into the run log after the start line.
    const std::string& log = form.controls.TextBox_run_log.text;
    EXPECT_NE(log.find("\r   TaskID   First    Last\r      1       1      10"), std::string::npos);
    EXPECT_NE(log.find("\r     40     391     400"), std::string::npos);
}

TEST_F(Continuation, ContinuingWithADifferentStepLeavesNoEmptyTask) {
    write_assembly_log(40, 20);  // the earlier run ended task 40 at point 800
    divide(1015, "100");
    EXPECT_GE(form.tasks.num_tasks, 41);
    expect_contiguous_division(form.tasks, form.data.num_data, 41);
    write_assembly_log(150, 6);  // task 150 ended at 900; 115 points are left
    divide(1005, "10");
    expect_contiguous_division(form.tasks, form.data.num_data, 151);
}

TEST_F(Continuation, AnsweringNoStartsAFreshRunThatReplacesTheMatrix) {
    write_assembly_log(40, 10);
    fake.dialogs.answers.push_back(false);
    divide(1000, "100");
    EXPECT_EQ(form.tasks.last_assembled_task, 0);
    expect_contiguous_division(form.tasks, form.data.num_data, 1);
    EXPECT_FALSE(fake.files.file_exists("/inv/demo/parvex.mtx"));
}

TEST_F(Continuation, ACompleteMatrixStopsTheSetUp) {
    write_assembly_log(100, 10);
    set_init_line("Number of observed data", "Number of observed data: 1000");
    start();
    EXPECT_EQ(only_message(), "The mtx file has already been generated correctly");
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/parvex.mtx"));
}

TEST_F(Continuation, AnInvalidLogStopsAndKeepsTheMatrixTheUserAskedFor) {
    fake.files.add_file("/inv/demo/zelkon_cluster_000012_assembly.dat",
                        "   TaskID\r\n     40  garbage\r\n");
    start();
    EXPECT_EQ(only_message(), "The mtx assembly file is not valid");
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/parvex.mtx"));
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

TEST_F(Continuation, ALogThatLacksATaskBelowItsLastIsNotValid) {
    // Continuing would leave task 2 waiting with no data to compute.
    fake.files.add_file("/inv/demo/zelkon_cluster_000012_assembly.dat",
                        assembly_log({{1, 10}, {3, 30}}, 4096));
    start();
    EXPECT_EQ(only_message(), "The mtx assembly file is not valid");
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/parvex.mtx"));
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

TEST_F(Continuation, TestClusterSetupNeverAsksAndDividesAfresh) {
    write_assembly_log(40, 10);
    set_init_line("Number of observed data", "Number of observed data: 1000");
    test_setup();
    EXPECT_TRUE(fake.dialogs.questions.empty());
    EXPECT_EQ(form.tasks.cluster_task[1].first_datum, 1);
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/parvex.mtx"));
}

}  // namespace
}  // namespace zelkon
