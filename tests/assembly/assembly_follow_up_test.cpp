// Following a running batch through its merge markers and the assembly log.

#include "assembly_fixture.h"

namespace zelkon {
namespace {

class FollowUp : public AssemblyTest {
  protected:
    // A run of `num_tasks` whose first batch (tasks 1..batch) has started.
    void start_batch(int num_tasks, int batch, int num_servers = 4) {
        seed(num_tasks, num_servers);
        complete(1, batch);
        run.run_terminated = batch < 16;  // so that a small batch starts too
        assemble();
        run.run_terminated = false;
        ASSERT_EQ(starts(), 1);
    }
};

// Assembly time is overhead of the server that ran the task.
TEST_F(FollowUp, MergedTasksAreAssembledUpToTheFirstMissingMarkerAndBookTheirTimes) {
    start_batch(100, 16);
    servers.task_servers[2].compute_ms = FixedMs::from_ms(90000);
    servers.task_servers[2].overhead_ms = FixedMs::from_ms(1500);
    merge(1, 4.0);  // server 1
    merge(2, 2.25);
    merge(3, 0.0);  // server 3: nothing booked
    EXPECT_EQ(assemble(), "0");
    EXPECT_EQ(tasks.last_assembled_task, 4);
    for (int t = 1; t <= 3; ++t) {
        EXPECT_EQ(tasks.cluster_task[t].state, TaskState::assembled) << t;
        EXPECT_EQ(tasks.cluster_task[t].in_batch, 0) << t;
        EXPECT_FALSE(fake.files.file_exists(marker(t))) << t;
    }
    EXPECT_EQ(tasks.cluster_task[4].state, TaskState::in_assembly);
    EXPECT_EQ(controls.Text_tasks_completed.text, "3");
    EXPECT_TRUE(assembly_state.assembly_running);
    EXPECT_EQ(starts(), 1);
    std::vector<std::string> log = process_log_lines();
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[6], " Cluster assembly 3 finished");
    EXPECT_EQ(log[7], " Cluster assembly stats updated");
    // The run log shows the header and each task's line.
    EXPECT_NE(controls.TextBox_run_log.text.find("\r   TaskID  First   Last\r" +
                                                 assembly_state.assembly_log_lines[1] + "\r" +
                                                 assembly_state.assembly_log_lines[2]),
              std::string::npos)
        << controls.TextBox_run_log.text;
    EXPECT_EQ(servers.task_servers[1].overhead_ms, FixedMs::from_ms(4000));
    EXPECT_EQ(servers.task_servers[2].overhead_ms, FixedMs::from_ms(3750));
    EXPECT_EQ(servers.task_servers[3].overhead_ms, FixedMs());
    const GridControl& grid = controls.Grid_server_stats;
    EXPECT_EQ(grid.cell(2, 4).text, "1.5");
    EXPECT_EQ(grid.cell(2, 5).text, "3.8");
    EXPECT_EQ(grid.cell(3, 5).text, "0.0");
    EXPECT_EQ(grid.cell(4, 5).text, "");  // its task is not assembled yet
}

TEST_F(FollowUp, ALineHoldingEveryDataPointMarksTheLastTaskAssembled) {
    start_batch(4, 4);
    merge(1);
    merge(2);
    // Task 3's line says the matrix holds all 400 data points.
    fake.files.add_file(kAssemblyLog, fake.files.content(kAssemblyLog) +
                                          data_line(3, 201, 400, 0, {1, 1}) + "\r\n");
    fake.files.add_file(marker(3), "");
    assemble();
    EXPECT_EQ(tasks.cluster_task[4].state, TaskState::assembled);
    EXPECT_EQ(tasks.last_assembled_task, 4);
}

TEST_F(FollowUp, AfterStopTheFollowUpEndsWithTheTaskItFollowed) {
    start_batch(100, 16);
    merge(1);
    merge(2);
    run.run_terminated = true;
    assemble();
    EXPECT_FALSE(assembly_state.assembly_running);
    EXPECT_EQ(tasks.last_assembled_task, 2);
    EXPECT_EQ(tasks.cluster_task[1].state, TaskState::assembled);
    EXPECT_EQ(tasks.cluster_task[2].state, TaskState::in_assembly);
}

// The marker says the task is merged; a log that cannot be read must not
// leave it unassembled, or a run whose last task it is could never end.
TEST_F(FollowUp, AnUnreadableLogStillAssemblesTheTask) {
    start_batch(2, 2, 2);
    fake.files.add_file(kAssemblyLog, "9999999       1     100\r\n");  // beyond every task
    fake.files.add_file(marker(1), "");
    fake.files.add_file(marker(2), "");
    assemble();
    EXPECT_EQ(tasks.cluster_task[2].state, TaskState::assembled);
    EXPECT_EQ(controls.Text_tasks_completed.text, "2");
    EXPECT_FALSE(assembly_state.assembly_running);
    ASSERT_EQ(fake.dialogs.messages.size(), 2u);
    EXPECT_EQ(fake.dialogs.messages[0],
              "An error occurred while loading the assembly log file: Subscript out of range");
    EXPECT_EQ(process_log_lines().back(), " Cluster assembly stats updated");
}

}  // namespace
}  // namespace zelkon
