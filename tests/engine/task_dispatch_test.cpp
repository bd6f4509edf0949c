#include "engine_fixture.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;

TEST_F(EngineTest, ThreeFreeServersAndTwoTasksFillTheTwoLowestAndStop) {
    seed_run({{"nodeA", 3, 0}}, 2);
    form.task_engine.allocate_task_to_server();

    EXPECT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(process_log_lines(), (Lines{" Server available: nodeA/0",
                                          " zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/"
                                          "zelkon_cluster_000012.zcd 1 1 100",
                                          " Task ID started 1", " Server available: nodeA/1",
                                          " zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/"
                                          "zelkon_cluster_000012.zcd 2 101 200",
                                          " Task ID started 2"}));
    EXPECT_EQ(state.task_servers[1].task, 1);
    EXPECT_EQ(state.task_servers[2].task, 2);
    EXPECT_FALSE(state.task_servers[3].busy);
    EXPECT_EQ(fake.management.created[0].folder, kNetworkJobPath);
    EXPECT_EQ(fake.events.yields, 2);  // one per booked start
    EXPECT_EQ(fake.files.unflushed.count(kProcessLog), 0u) << "each line reaches the file at once";
}

TEST_F(EngineTest, AStartIsBookedInTheTaskTheServerTheCountersAndTheForm) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 5);
    state.num_tasks_done = 1;
    state.cluster_task[1].state = TaskState::complete;
    fake.clock.sleep_ms(2500);
    form.task_engine.allocate_task_to_server();

    const ClusterTask& task = state.cluster_task[3];
    EXPECT_EQ(task.name, "Zelkon_job_000012_task_000003");
    EXPECT_EQ(task.state, TaskState::running);
    EXPECT_EQ(task.server, 2);
    EXPECT_EQ(task.server_label, "nodeB/0");
    const TaskServer& server = state.task_servers[2];
    EXPECT_TRUE(server.busy);
    EXPECT_EQ(server.tasks_started, 1);
    EXPECT_EQ(server.task_data, 100);
    EXPECT_EQ(server.data_started, 100);
    EXPECT_EQ(server.task_start_ms, FixedMs::from_ms(2500));
    EXPECT_EQ(state.num_tasks_processing, 2);
    EXPECT_EQ(controls.Text_tasks_processing.text, "2");
    EXPECT_EQ(controls.Text_tasks_remaining.text, "4");  // not yet completed, not "not started"
    EXPECT_EQ(controls.ProgressBar_tasks.value, 3);
    EXPECT_TRUE(fake.files.file_exists(task_file(2, ".sem")));
    EXPECT_TRUE(fake.files.file_exists(task_file(3, ".sem")));
}

TEST_F(EngineTest, AFailedStartTurnsTheServerRedAndTheNextFreeServerTakesTheTask) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}, {"nodeC", 1, 0}}, 2);
    state.task_servers[1].busy = true;  // already running something
    fake.management.fail_creates("nodeB", 8, "Unable to create step: Node drained");
    form.task_engine.allocate_task_to_server();

    EXPECT_TRUE(state.task_servers[2].failed);
    EXPECT_FALSE(state.task_servers[2].busy);
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 1).back_color, kColorRed);
    EXPECT_EQ(controls.Grid_server_stats.cell(3, 1).back_color, kColorGreen);
    EXPECT_EQ(state.cluster_task[1].server, 3);
    EXPECT_EQ(state.cluster_task[2].state, TaskState::waiting);  // no free server left
    Lines log = process_log_lines();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[2], " Server failed to start task: nodeB/0: Unable to create step: Node drained");
    EXPECT_EQ(log[3], " Server available: nodeC/0");
    EXPECT_EQ(fake.events.yields, 1);
}

// A start confirmed later (a job step) may be refused after it was booked:
// the next look at the servers undoes the start and takes the server out.
TEST_F(EngineTest, AStartRefusedLaterPutsTheTaskBackAndTakesTheServerOut) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 2);
    form.task_engine.allocate_task_to_server();
    ASSERT_EQ(fake.management.created.size(), 2u);
    fake.management.refuse_later(fake.management.created[1].process_id, 1,
                                 "Unable to create step: Node drained");
    form.task_engine.check_for_completed_tasks();

    EXPECT_TRUE(state.task_servers[2].failed);
    EXPECT_FALSE(state.task_servers[2].busy);
    EXPECT_EQ(state.task_servers[2].tasks_started, 0);
    EXPECT_EQ(state.task_servers[2].data_started, 0);
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 1).back_color, kColorRed);
    EXPECT_EQ(state.cluster_task[2].state, TaskState::waiting);
    EXPECT_EQ(state.num_tasks_processing, 1);
    EXPECT_EQ(controls.Text_tasks_processing.text, "1");
    EXPECT_EQ(process_log_lines().back(),
              " Server failed to start task: nodeB/0: Unable to create step: Node drained");
    finish_task(1, "Clock time taken: 0.01\r\n");
    form.task_engine.check_for_completed_tasks();
    form.task_engine.allocate_task_to_server();
    EXPECT_EQ(state.cluster_task[2].server, 1);
}

struct CommandCase {
    const char* what;
    bool local;
    std::int32_t threads;
    const char* command;
};

class TaskCommandTest : public EngineTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(TaskCommandTest, TheCommandNamesTheJobPathTheMachineSeesAndThreadsOnlyWhenGiven) {
    const CommandCase& c = GetParam();
    seed_run({{c.local ? "CONTROL1" : "nodeA", 1, c.threads, c.local}}, 1);
    form.task_engine.allocate_task_to_server();
    std::string started = c.local ? fake.processes.started.at(0).command_line
                                  : fake.management.created.at(0).command_line;
    EXPECT_EQ(started, state.task_command);
    EXPECT_TRUE(started.starts_with("m=$(" + std::string(c.command) + " 2>&1 ")) << started;
}

INSTANTIATE_TEST_SUITE_P(
    Machines, TaskCommandTest,
    ::testing::Values(
        CommandCase{"remote_four_threads", false, 4,
                    "zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/zelkon_cluster_000012.zcd "
                    "1 1 100 OMP_NUM_THREADS=4"},
        CommandCase{"local_two_threads", true, 2,
                    "zelkon_cluster_task /data/Work/Job_12/zelkon_cluster_000012.zcd 1 1 100 "
                    "OMP_NUM_THREADS=2"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EngineTest, NothingWaitsAfterTheLastAssembledTaskSoNothingIsDone) {
    seed_run({{"nodeA", 2, 0}}, 3);
    state.last_assembled_task = 1;  // task 1 waits, but is below the range looked at
    state.cluster_task[2].state = TaskState::complete;
    state.cluster_task[3].state = TaskState::running;
    form.task_engine.allocate_task_to_server();
    EXPECT_TRUE(fake.management.created.empty());
    EXPECT_TRUE(process_log_lines().empty());
}

TEST_F(EngineTest, AllServersBusyOrFailedStartsNothing) {
    seed_run({{"nodeA", 2, 0}}, 3);
    book_running(1, 1, 0);
    state.task_servers[2].failed = true;
    form.task_engine.allocate_task_to_server();
    EXPECT_EQ(fake.management.created.size(), 0u);
    EXPECT_EQ(state.cluster_task[2].state, TaskState::waiting);
}

TEST_F(EngineTest, ATaskOfferedAgainKeepsItsNameAndOverwritesItsSemaphore) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 1);
    fake.management.fail_creates("nodeA", 5);
    fake.management.fail_creates("nodeB", 5);
    form.task_engine.allocate_task_to_server();
    EXPECT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(state.cluster_task[1].name, "Zelkon_job_000012_task_000001");
    EXPECT_TRUE(fake.files.file_exists(task_file(1, ".sem")));
}

TEST_F(EngineTest, ASemaphoreThatCannotBeCopiedEndsTheRunThroughTheTick) {
    seed_run({{"nodeA", 1, 0}}, 1);
    fake.files.failing_paths.insert("/data/Work/Job_12/Zelkon_job_000012_task_000001.sem");
    tick();
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(fake.dialogs.messages[0],
              "An error was encountered while running the calculation: Path/File access error: "
              "/data/Work/Job_12/Zelkon_job_000012_task_000001.sem");
    EXPECT_TRUE(fake.management.created.empty());
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
}

}  // namespace
}  // namespace zelkon
