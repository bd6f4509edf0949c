// Following a running batch through its merge markers and the assembly log.

#include "assembly_fixture.h"

namespace zelkon {
namespace {

class FollowUp : public AssemblyTest {
  protected:
    // A run of `tasks` whose first batch (tasks 1..batch) has started.
    void start_batch(int tasks, int batch, int servers = 4) {
        seed_run(tasks, servers);
        complete(1, batch);
        form.run.run_terminated = batch < 16;  // so that a small batch starts too
        assemble();
        form.run.run_terminated = false;
        ASSERT_EQ(starts(), 1);
    }
};

TEST_F(FollowUp, SeveralMergedTasksInOneCallStopAtTheFirstMissingMarker) {
    start_batch(100, 16);
    merge(1);
    merge(2);
    merge(3);
    EXPECT_EQ(assemble(), 0);
    EXPECT_EQ(form.tasks.last_assembled_task, 4);
    for (int t = 1; t <= 3; ++t) {
        EXPECT_EQ(form.tasks.cluster_task[t].state, TaskState::assembled) << t;
        EXPECT_EQ(form.tasks.cluster_task[t].in_batch, 0) << t;
        EXPECT_FALSE(fake.files.file_exists(marker(t))) << t;
    }
    EXPECT_EQ(form.tasks.cluster_task[4].state, TaskState::in_assembly);
    EXPECT_EQ(controls.Text_tasks_completed.text, "3");
    EXPECT_TRUE(form.assembly_state.assembly_running);
    std::string log = process_log();
    EXPECT_NE(log.find("14:05:09 Cluster assembly 3 finished\r\n"
                       "14:05:09 Cluster assembly stats updated\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("Cluster assembly 4 finished"), std::string::npos);
    EXPECT_EQ(starts(), 1);
}

TEST_F(FollowUp, TheRunLogShowsTheHeaderAndEachTasksLine) {
    start_batch(100, 16);
    merge(1);
    merge(2);
    assemble();
    const ClusterTask& second = form.tasks.cluster_task[2];
    std::string line_2 = data_line(2, second.first_datum, second.last_datum, 0, {1048576, 1048576});
    EXPECT_NE(controls.TextBox_run_log.text.find("\r   TaskID  First   Last\r" +
                                                 form.assembly_state.assembly_log_lines[1] + "\r" + line_2),
              std::string::npos)
        << controls.TextBox_run_log.text;
}

TEST_F(FollowUp, AssemblyTimeIsOverheadOfTheServerThatRanTheTask) {
    start_batch(100, 16);
    form.servers.task_servers[2].compute_ms = FixedMs::from_ms(90000);
    form.servers.task_servers[2].overhead_ms = FixedMs::from_ms(1500);
    merge(1, 4.0);  // server 1
    merge(2, 2.25);
    merge(3, 0.0);  // server 3: nothing booked
    assemble();
    EXPECT_EQ(form.servers.task_servers[1].overhead_ms, FixedMs::from_ms(4000));
    EXPECT_EQ(form.servers.task_servers[2].overhead_ms, FixedMs::from_ms(3750));
    EXPECT_EQ(form.servers.task_servers[3].overhead_ms, FixedMs());
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
    EXPECT_EQ(form.tasks.cluster_task[4].state, TaskState::assembled);
    EXPECT_EQ(form.tasks.last_assembled_task, 4);
}

TEST_F(FollowUp, AfterStopTheFollowUpEndsWithTheTaskItFollowed) {
    start_batch(100, 16);
    merge(1);
    merge(2);
    form.run.run_terminated = true;
    assemble();
    EXPECT_FALSE(form.assembly_state.assembly_running);
    EXPECT_EQ(form.tasks.last_assembled_task, 2);
    EXPECT_EQ(form.tasks.cluster_task[1].state, TaskState::assembled);
    EXPECT_EQ(form.tasks.cluster_task[2].state, TaskState::in_assembly);
}

// The marker says the task is merged; a log that cannot be read must not
// leave it unassembled, or a run whose last task it is could never end.
TEST_F(FollowUp, AnUnreadableLogStillAssemblesTheTask) {
    start_batch(2, 2, 2);
    fake.files.add_file(kAssemblyLog, "9999999       1     100\r\n");  // beyond every task
    fake.files.add_file(marker(1), "");
    fake.files.add_file(marker(2), "");
    assemble();
    EXPECT_EQ(form.tasks.cluster_task[2].state, TaskState::assembled);
    EXPECT_EQ(controls.Text_tasks_completed.text, "2");
    EXPECT_FALSE(form.assembly_state.assembly_running);
    ASSERT_FALSE(fake.dialogs.messages.empty());
    EXPECT_EQ(fake.dialogs.messages[0].rfind(
                  "An error occurred while loading the assembly log file: ", 0),
              0u);
    EXPECT_NE(process_log().find("Cluster assembly 2 finished\r\n14:05:09 Cluster assembly "
                                 "stats updated"),
              std::string::npos);
}

}  // namespace
}  // namespace zelkon
