#include <filesystem>
#include <fstream>
#include <sstream>

#include "../platform/temp_folder.h"
#include "engine/task_command.h"
#include "engine_fixture.h"
#include "piperpc/utf16.h"
#include "platform/shell_words.h"

namespace zelkon {
namespace {

using Lines = std::vector<std::string>;

std::string command_of(const std::string& job_path, std::int32_t task, std::int32_t threads) {
    return task_command({job_path, RunBench::task_name(task), RunBench::kDataFile, task,
                         (task - 1) * 100 + 1, task * 100, threads});
}

TEST_F(EngineTest, AStartIsBookedInTheTaskTheServerTheCountersAndTheForm) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 5);
    tasks.num_tasks_done = 1;
    tasks.cluster_task[1].state = TaskState::complete;
    fake.clock.sleep_ms(2500);
    engine.allocate_task_to_server();
    const ClusterTask& task = tasks.cluster_task[3];
    EXPECT_EQ(std::tuple(task.name, task.state, task.server, task.server_label),
              std::tuple("Zelkon_job_000012_task_000003", TaskState::running, 2, "nodeB/0"));
    const TaskServer& server = servers.task_servers[2];
    EXPECT_EQ(std::tuple(server.busy, server.tasks_started, server.task_data, server.data_started),
              std::tuple(true, 1, 100, 100));
    EXPECT_EQ(server.task_start_ms, FixedMs::from_ms(2500));
    EXPECT_EQ(std::tuple(tasks.num_tasks_processing, controls.ProgressBar_tasks.value),
              std::tuple(2, 3));
    // Remaining: not yet completed, rather than not started.
    EXPECT_EQ(std::tuple(controls.Text_tasks_processing.text, controls.Text_tasks_remaining.text),
              std::tuple("2", "4"));
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
    EXPECT_EQ(controls.Grid_server_stats.cell(3, 1).back_color, kColorGreen);
    const std::string program =
        " zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/"
        "zelkon_cluster_000012.zcd ";
    EXPECT_EQ(process_log_lines(),
              (Lines{" Server available: nodeA/0", program + "1 1 100 OMP_NUM_THREADS=4",
                     " Task ID started 1", " Server available: nodeB/0", program + "2 101 200",
                     " Server failed to start task: nodeB/0: Unable to create step: Node drained",
                     " Server available: CONTROL1/0",
                     " zelkon_cluster_task /data/Work/Job_12/zelkon_cluster_000012.zcd 2 101 200 "
                     "OMP_NUM_THREADS=2",
                     " Task ID started 2"}));
    EXPECT_EQ(fake.events.yields, 2);  // one per booked start
    EXPECT_EQ(fake.files.unflushed.count(kProcessLog), 0u) << "each line reaches the file at once";
}

// A start confirmed later (a job step) may be refused after it was booked:
// the next look at the servers undoes the start and takes the server out.
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
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 1).back_color, kColorRed);
    EXPECT_EQ(tasks.cluster_task[2].state, TaskState::waiting);
    EXPECT_EQ(controls.Text_tasks_processing.text, "1");
    EXPECT_EQ(process_log_lines().back(),
              " Server failed to start task: nodeB/0: Unable to create step: Node drained");
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
    listener->Called = [&](int, ByteArray& request, ByteArray&) {
        requests.push_back(request.bytes);
    };
    listener->Listen();
    engine.allocate_task_to_server();
    EXPECT_EQ(requests, decltype(requests){to_utf16le(command_of(kNetworkJobPath, 1, 0))});
    EXPECT_TRUE(servers.task_servers[1].busy && fake.management.created.empty());
    listener.reset();
    servers.task_servers[1].busy = false;
    tasks.cluster_task[1].state = TaskState::waiting;
    engine.allocate_task_to_server();
    EXPECT_TRUE(servers.task_servers[1].failed && servers.task_servers[2].failed);
}

// In a job folder whose name the shell would split and expand, through /bin/sh.
TEST(TaskCommand, ThePathsReachTheProgramWholeAndASilentFailureLeavesAnErrFile) {
    const std::pair<const char*, const char*> cases[] = {
        // The task program's script (none: not installed), the .err file (none: no file).
        {"printf '%s\\n' \"$@\" > \"$(dirname \"$1\")/args\"", nullptr},
        {nullptr, "exited with status 127: zelkon_cluster_task: not found\n"},
        {"echo 'No space' > \"${1%/*}/Zelkon_job_000007_task_000003.err\"; exit 1", "No space\n"},
    };
    for (const auto& [program, err] : cases) {
        TempFolder temp;
        std::string job = temp.path() + "/My Work's $HOME \"q\" `x`/";
        std::filesystem::create_directories(job);
        std::filesystem::create_directory(temp.file("bin"));
        if (program != nullptr) {
            std::ofstream(temp.file("bin/zelkon_cluster_task")) << "#!/bin/sh\n" << program << "\n";
            std::filesystem::permissions(temp.file("bin/zelkon_cluster_task"),
                                         std::filesystem::perms::owner_all);
        }
        std::string command = task_command(
            {job, "Zelkon_job_000007_task_000003", "zelkon_cluster_7.zcd", 3, 41, 60, 2});
        std::string line = "PATH=" + shell_quote(temp.file("bin")) + ":/usr/bin:/bin sh -c " +
                           shell_quote(command) + " 2>/dev/null";
        EXPECT_NE(std::system(line.c_str()), -1);
        std::stringstream text;
        text << std::ifstream(job + (err != nullptr ? "Zelkon_job_000007_task_000003.err" : "args"))
                    .rdbuf();
        EXPECT_EQ(text.str(), err != nullptr
                                  ? err
                                  : job + "zelkon_cluster_7.zcd\n3\n41\n60\nOMP_NUM_THREADS=2\n");
    }
}

}  // namespace
}  // namespace zelkon
