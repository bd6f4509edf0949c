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

TEST_F(EngineTest, ThreeFreeServersAndTwoTasksFillTheTwoLowestAndStop) {
    seed_run({{"nodeA", 3, 0}}, 2);
    engine.allocate_task_to_server();
    ASSERT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(process_log_lines(), (Lines{" Server available: nodeA/0",
                                          " zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/"
                                          "zelkon_cluster_000012.zcd 1 1 100",
                                          " Task ID started 1", " Server available: nodeA/1",
                                          " zelkon_cluster_task /net/CONTROL1/data/Work/Job_12/"
                                          "zelkon_cluster_000012.zcd 2 101 200",
                                          " Task ID started 2"}));
    EXPECT_EQ(servers.task_servers[2].task, 2);
    EXPECT_FALSE(servers.task_servers[3].busy);
    EXPECT_EQ(fake.management.created[0].folder, kNetworkJobPath);
    EXPECT_EQ(fake.events.yields, 2);  // one per booked start
    EXPECT_EQ(fake.files.unflushed.count(kProcessLog), 0u) << "each line reaches the file at once";
}

TEST_F(EngineTest, AStartIsBookedInTheTaskTheServerTheCountersAndTheForm) {
    seed_run({{"nodeA", 1, 0}, {"nodeB", 1, 0}}, 5);
    tasks.num_tasks_done = 1;
    tasks.cluster_task[1].state = TaskState::complete;
    fake.clock.sleep_ms(2500);
    engine.allocate_task_to_server();
    const ClusterTask& task = tasks.cluster_task[3];
    EXPECT_EQ(task.name, "Zelkon_job_000012_task_000003");
    EXPECT_EQ(task.state, TaskState::running);
    EXPECT_EQ(task.server, 2);
    EXPECT_EQ(task.server_label, "nodeB/0");
    const TaskServer& server = servers.task_servers[2];
    EXPECT_TRUE(server.busy);
    EXPECT_EQ(
        (std::vector<std::int32_t>{server.tasks_started, server.task_data, server.data_started,
                                   tasks.num_tasks_processing, controls.ProgressBar_tasks.value}),
        (std::vector<std::int32_t>{1, 100, 100, 2, 3}));
    EXPECT_EQ(server.task_start_ms, FixedMs::from_ms(2500));
    EXPECT_EQ(controls.Text_tasks_processing.text, "2");
    EXPECT_EQ(controls.Text_tasks_remaining.text, "4");  // not yet completed, not "not started"
}

// A failed start turns its server red and the next free server takes the
// task, which keeps its name and semaphore. The command names the job path
// the machine sees, and threads only when given.
TEST_F(EngineTest, AFailedStartPassesTheTaskOnAndEachMachineGetsItsOwnCommand) {
    seed_run({{"nodeA", 1, 4}, {"nodeB", 1, 0}, {"CONTROL1", 1, 2, true}}, 2);
    fake.management.fail_creates("nodeB", 8, "Unable to create step: Node drained");
    engine.allocate_task_to_server();
    ASSERT_EQ(fake.management.created.size(), 2u);
    EXPECT_EQ(fake.management.created[0].command_line, command_of(kNetworkJobPath, 1, 4));
    EXPECT_EQ(fake.management.created[1].command_line, command_of(kNetworkJobPath, 2, 0));
    ASSERT_EQ(fake.processes.started.size(), 1u);
    EXPECT_EQ(fake.processes.started[0].command_line, command_of(kJobPath, 2, 2));
    EXPECT_TRUE(servers.task_servers[2].failed);
    EXPECT_FALSE(servers.task_servers[2].busy);
    EXPECT_EQ(controls.Grid_server_stats.cell(2, 1).back_color, kColorRed);
    EXPECT_EQ(controls.Grid_server_stats.cell(3, 1).back_color, kColorGreen);
    EXPECT_EQ(tasks.cluster_task[2].server, 3);
    EXPECT_TRUE(fake.files.file_exists(task_file(2, ".sem")));
    Lines log = process_log_lines();
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[5], " Server failed to start task: nodeB/0: Unable to create step: Node drained");
    EXPECT_EQ(log[6], " Server available: CONTROL1/0");
    EXPECT_EQ(fake.events.yields, 2);
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
    EXPECT_EQ(tasks.cluster_task[1].state, TaskState::waiting);
}

TEST_F(EngineTest, ASemaphoreThatCannotBeCopiedEndsTheRunThroughTheTick) {
    seed_run({{"nodeA", 1, 0}}, 1);
    fake.files.failing_paths.insert(task_file(1, ".sem"));
    tick();
    EXPECT_EQ(fake.dialogs.messages,
              Lines{"An error was encountered while running the calculation: Path/File access "
                    "error: /data/Work/Job_12/Zelkon_job_000012_task_000001.sem"});
    EXPECT_TRUE(fake.management.created.empty());
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
}

// Through the pipes: the command goes to the listener as UTF-16 without a
// terminator; nobody listening is a failed start on each server in turn, and
// a missing pipe element ends the run.
TEST_F(EngineTest, PipeStartsSendTheCommandAndANonZeroResultIsAFailedStart) {
    seed_run({{"nodeA", 2, 0}}, 1);
    job.use_rpc = true;
    for (std::int32_t i = 1; i <= 2; ++i) {
        channels.PipeRPC_Zelkon.push_back(
            std::make_unique<PipeRPC>(fake.pipes, fake.clock, fake.computer_name));
        channels.PipeRPC_Zelkon.back()->SetPipeName("Zelkon_Server");
    }
    std::vector<std::vector<std::uint8_t>> requests;
    {
        PipeRPC listener{fake.pipes, fake.clock, fake.computer_name};
        listener.SetPipeName("Zelkon_Server");
        listener.SetMaxClients(4);
        listener.Called = [&](int, ByteArray& request, ByteArray& response) {
            requests.push_back(request.bytes);
            response = ByteArray::of(to_utf16le("Started"));
        };
        listener.Listen();
        engine.allocate_task_to_server();
    }
    EXPECT_EQ(requests, decltype(requests){to_utf16le(command_of(kNetworkJobPath, 1, 0))});
    EXPECT_TRUE(servers.task_servers[1].busy);
    EXPECT_TRUE(fake.management.created.empty());
    servers.task_servers[1].busy = false;
    tasks.cluster_task[1].state = TaskState::waiting;
    tick();
    EXPECT_TRUE(servers.task_servers[1].failed && servers.task_servers[2].failed);
    EXPECT_EQ(tasks.cluster_task[1].state, TaskState::waiting);
    EXPECT_EQ(fake.dialogs.messages,
              Lines{"An error was encountered while running the calculation: "
                    "No task server is left to run the remaining tasks"});
}

TEST_F(EngineTest, AMissingPipeElementEndsTheRunInsteadOfReachingAnotherServer) {
    seed_run({{"nodeA", 2, 0}}, 1);
    job.use_rpc = true;
    tick();
    EXPECT_EQ(fake.dialogs.messages, Lines{"An error was encountered while running the "
                                           "calculation: Control array element does not exist"});
}

// The task command runs through /bin/sh in a job folder whose name the shell
// would otherwise split and expand; whatever the program does, a failure
// leaves an .err file, in the program's own words when it wrote one.
TEST(TaskCommand, ThePathsReachTheProgramWholeAndASilentFailureLeavesAnErrFile) {
    const std::pair<const char*, const char*> cases[] = {
        // The task program's script (none: not installed), the .err file (none: no file).
        {"printf '%s\\n' \"$@\" > \"$(dirname \"$1\")/args\"", nullptr},
        {nullptr, "exited with status 127: zelkon_cluster_task: not found\n"},
        {"echo 'usage: zelkon_cluster_task FILE' >&2; echo more >&2; exit 2",
         "exited with status 2: usage: zelkon_cluster_task FILE\n"},
        {"kill -KILL $$", "exited with status 137\n"},
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
        std::string err_file = job + "Zelkon_job_000007_task_000003.err";
        std::stringstream text;
        text << std::ifstream(err != nullptr ? err_file : job + "args").rdbuf();
        EXPECT_EQ(text.str(), err != nullptr
                                  ? err
                                  : job + "zelkon_cluster_7.zcd\n3\n41\n60\nOMP_NUM_THREADS=2\n");
        EXPECT_EQ(std::filesystem::exists(err_file), err != nullptr);
    }
}

}  // namespace
}  // namespace zelkon
