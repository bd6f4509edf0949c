#include "engine/task_command.h"
#include "engine_fixture.h"
#include "piperpc/utf16.h"
#include "program_run.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;

std::string command_of(const std::string& job_path, std::int32_t task, std::int32_t threads) {
    return task_command({job_path, RunBench::task_name(task), RunBench::kDataFile, task,
                         (task - 1) * 100 + 1, task * 100, threads});
}

// A program that cannot start leaves its reason in the .err file, which appears whole.
TEST(TaskCommand, AProgramThatCannotStartLeavesItsReasonInTheErrFile) {
    TempFolder temp;
    std::string job_path = temp.path() + "/";
    run_command(temp, "PATH=/usr/bin:/bin; " + command_of(job_path, 3, 0));
    std::string error_file = job_path + RunBench::task_name(3) + ".err";
    EXPECT_EQ(file_text(error_file), "exited with status 127: zelkon_cluster_task: not found\n");
    EXPECT_FALSE(std::filesystem::exists(error_file + ".part"));
}

// The lowest free servers take the tasks; a failed start passes the task on.
TEST_F(EngineTest, FreeServersTakeTheTasksInOrderAndAFailedStartPassesTheTaskOn) {
    seed_run({{"nodeA", 1, 4}, {"nodeB", 1, 0}, {"CONTROL1", 1, 2, true}, {"nodeD", 1, 0}}, 2);
    fake.management.fail_creates("nodeB", 8, "Unable to create step: Node drained");
    engine.allocate_task_to_server();
    ASSERT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(fake.management.created[1].command_line, command_of(kNetworkJobPath, 2, 0));
    EXPECT_EQ(fake.management.created[0].folder, kNetworkJobPath);
    EXPECT_EQ(fake.processes.started.at(0).command_line, command_of(kJobPath, 2, 2));
    EXPECT_EQ(std::tuple(servers.task_servers[2].failed, servers.task_servers[2].busy,
                         tasks.cluster_task[2].server, servers.task_servers[4].busy),
              std::tuple(true, false, 3, false));
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 1).back_color, kColorRed);
    EXPECT_EQ(process_log_lines().at(5),
              " Server failed to start task: nodeB/0: Unable to create step: Node drained");
    EXPECT_EQ(fake.events.yields, 2);  // one per booked start
    EXPECT_EQ(fake.files.unflushed.count(kProcessLog), 0u) << "each line reaches the file at once";
}

// A job step refused after its start was booked: the start is undone, the server taken out.
TEST_F(EngineTest, AStartRefusedLaterPutsTheTaskBackAndTakesTheServerOut) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 2);
    engine.allocate_task_to_server();
    ASSERT_EQ(fake.management.created.size(), 2u);
    fake.management.refuse_later(fake.management.created[1].process_id, 1,
                                 "Unable to create step: Node drained");
    engine.check_for_completed_tasks();
    const TaskServer& refused = servers.task_servers[2];
    EXPECT_TRUE(refused.failed && !refused.busy);
    EXPECT_EQ(refused.tasks_started + refused.data_started, 0);
    EXPECT_EQ(std::tuple(tasks.cluster_task[2].state, controls.Text_tasks_processing.text),
              std::tuple(TaskState::waiting, "1"));
    finish_task(1, "Clock time taken: 0.01\r\n");
    engine.check_for_completed_tasks();
    engine.allocate_task_to_server();
    EXPECT_EQ(tasks.cluster_task[2].server, 1);
}

TEST_F(EngineTest, NothingStartsWithoutAWaitingTaskInRangeOrAFreeServer) {
    seed_run({{"nodeA", 2, 0}}, 3);
    tasks.last_assembled_task = 1;  // task 1 waits, but is below the range looked at
    tasks.cluster_task[2].state = TaskState::complete;
    tasks.cluster_task[3].state = TaskState::running;
    engine.allocate_task_to_server();
    tasks.last_assembled_task = 0;
    book_running(1, 3, 0);
    servers.task_servers[2].failed = true;
    engine.allocate_task_to_server();
    EXPECT_TRUE(process_log_lines().empty());
}

// Through a pipe the command goes as UTF-16 without a terminator.
TEST_F(EngineTest, PipeStartsSendTheCommandAndANonZeroResultIsAFailedStart) {
    seed_run({{"nodeA", 2, 0}}, 1);
    job.use_rpc = true;
    tick();
    EXPECT_EQ(fake.dialogs.messages, Lines{"An error was encountered while running the "
                                           "calculation: Control array element does not exist"});
    for (std::int32_t i = 1; i <= 2; ++i) {
        channels.PipeRPC_Zelkon.push_back(
            std::make_unique<PipeRPC>(fake.pipes, fake.clock, fake.computer_name));
        channels.PipeRPC_Zelkon.back()->SetPipeName("Zelkon_Server");
    }
    std::vector<std::vector<std::uint8_t>> requests;
    auto listener = std::make_unique<PipeRPC>(fake.pipes, fake.clock, fake.computer_name);
    listener->SetPipeName("Zelkon_Server");
    listener->SetMaxRequest(65536);  // as the listener program takes task command lines
    listener->Called = [&](int, ByteArray& request, ByteArray&) {
        requests.push_back(request.bytes);
    };
    listener->Listen();
    engine.allocate_task_to_server();
    EXPECT_EQ(requests, decltype(requests){to_utf16le(command_of(kNetworkJobPath, 1, 0))});
    EXPECT_TRUE(servers.task_servers[1].busy && fake.management.created.empty());
}

}  // namespace
}  // namespace zelkon
