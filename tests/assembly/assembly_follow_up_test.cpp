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
    }
};

// Assembly time is overhead of the task's server.
TEST_F(FollowUp, MergedTasksAreAssembledUpToTheFirstMissingMarkerAndBookTheirTimes) {
    start_batch(100, 16);
    servers.task_servers[2].compute_ms = FixedMs::from_ms(90000);
    servers.task_servers[2].overhead_ms = FixedMs::from_ms(1500);
    merge(1, 4.0);  // server 1
    merge(2, 2.25);
    merge(3, 0.0);  // server 3: nothing booked
    EXPECT_EQ(assemble(), "0");
    for (int t = 1; t <= 4; ++t) {
        EXPECT_EQ(std::tuple(tasks.cluster_task[t].state, tasks.cluster_task[t].in_batch,
                             fake.files.file_exists(marker(t))),
                  std::tuple(t < 4 ? TaskState::assembled : TaskState::in_assembly, t < 4 ? 0 : 1,
                             false));
    }
    EXPECT_EQ(std::tuple(tasks.last_assembled_task, controls.Text_tasks_completed.text,
                         assembly_state.assembly_running, starts()),
              std::tuple(4, "3", true, 1));
    EXPECT_EQ(process_log_lines().back(), " Cluster assembly stats updated");
    EXPECT_EQ(std::tuple(servers.task_servers[1].overhead_ms, servers.task_servers[2].overhead_ms,
                         servers.task_servers[3].overhead_ms),
              std::tuple(FixedMs::from_ms(4000), FixedMs::from_ms(3750), FixedMs()));
    EXPECT_EQ(
        controls.Grid_server_stats.cell(2, 5).text + controls.Grid_server_stats.cell(4, 5).text,
        "3.8");
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
    EXPECT_EQ(std::tuple(tasks.cluster_task[4].state, tasks.last_assembled_task),
              std::tuple(TaskState::assembled, 4));
}

// The marker says merged: an unreadable log must not keep the run from its end.
TEST_F(FollowUp, AnUnreadableLogStillAssemblesTheTask) {
    start_batch(2, 2, 2);
    fake.files.add_file(kAssemblyLog, "9999999       1     100\r\n");  // beyond every task
    fake.files.add_file(marker(1), "");
    fake.files.add_file(marker(2), "");
    assemble();
    EXPECT_EQ(std::tuple(tasks.cluster_task[2].state, controls.Text_tasks_completed.text,
                         assembly_state.assembly_running, fake.dialogs.messages.size()),
              std::tuple(TaskState::assembled, "2", false, 2u));
    EXPECT_EQ(process_log_lines().back(), " Cluster assembly stats updated");
}

}  // namespace
}  // namespace zelkon
