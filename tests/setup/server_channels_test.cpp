// Stage 25: the channels to the task servers, and the job folders readied.
#include "server_setup_fixture.h"

namespace zelkon {
namespace {

TEST_F(ServerSetupTest, WithoutRpcEachMachineIsReachedOnceAndItsServersCounted) {
    test_setup();
    EXPECT_EQ(fake.management.connects, (std::vector<std::string>{"nodeA", "nodeB"}));
    ASSERT_EQ(form.channels.server_wmi_process.size(), 4u);
    EXPECT_EQ(form.channels.server_wmi_process[0], form.channels.server_wmi_process[1]);
    EXPECT_NE(form.channels.server_wmi_process[2], nullptr);
    EXPECT_NE(run_log().find("\r\rSet up the servers"
                             "\r\rCluster data file: zelkon_cluster_000012.zcd"
                             "\r\rServer: nodeA/0\r\rServer: nodeA/1\r\rServer: nodeB/0"
                             "\rCluster work path: /net/nodeA/data/Work/Job_12/"
                             "\rCluster work path: /net/nodeB/data/Work/Job_12/"
                             "\r\rCreate semaphore file: /inv/demo/Zelkon_job_000012.sem"),
              std::string::npos)
        << run_log();
    EXPECT_EQ(only_message(), "Setup appears to be correct");
}

TEST_F(ServerSetupTest, AMachineThatCannotBeReachedWithoutRpcEndsTheSetUpWithSshsReason) {
    fake.management.make_unreachable(
        "nodeB", "ssh: Could not resolve hostname nodeb: Name or service not known");
    test_setup();
    EXPECT_EQ(only_message(),
              "An error occurred while setting up the cluster run: ssh: Could not resolve "
              "hostname nodeb: Name or service not known at stage 25 while performing action: "
              "Set up the server list");
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
    EXPECT_TRUE(form.run.run_terminated);
}

TEST_F(ServerSetupTest, WithRpcAMachineWithoutAListenerTurnsRedAndTheSetUpGoesOn) {
    use_rpc();
    listen("nodeA", 2);
    std::int64_t before = fake.clock.tick_ms();
    test_setup();
    EXPECT_EQ(count_of(info(), "\r\nRPC pipe 3 failed\r\n"), 5);
    EXPECT_EQ(count_of(info(), "\r\nRPC pipe 1 opened\r\n"), 1);
    EXPECT_EQ(count_of(info(), "\r\nRPC pipe 2 opened\r\n"), 1);
    EXPECT_GE(fake.clock.tick_ms() - before, 4 * 500);  // the waits between attempts
    EXPECT_TRUE(form.servers.task_servers[3].failed);
    EXPECT_FALSE(form.servers.task_servers[1].failed);
    EXPECT_EQ(red_rows(), std::vector<std::string>{"nodeB/0/0"});
    EXPECT_EQ(only_message(),
              "Setup appears to be correct, but not all of the requested task servers were "
              "opened\r\nCheck that the RPC listener program has enough clients enabled");
}

TEST_F(ServerSetupTest, WithRpcAndNoListenerAnywhereNothingIsOpened) {
    use_rpc();
    test_setup();
    // The pipes say nothing of why: each one has its own tries.
    EXPECT_EQ(count_of(info(), "\r\nRPC pipe 1 failed\r\n"), 5);
    EXPECT_EQ(count_of(info(), "\r\nRPC pipe 2 failed\r\n"), 5);
    EXPECT_EQ(red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0", "nodeB/0/0"}));
    EXPECT_EQ(only_message(),
              "Setup appears to be correct, but no task servers were opened\r\n"
              "Check that the RPC listener program is running");
}

// A reason that holds for the whole machine fails its other pipes at once,
// and the connection test does not dial it again; any other keeps the tries.
TEST_F(ServerSetupTest, WithRpcAMachineThatCannotBeReachedCostsOneAttempt) {
    const std::string refused = "ssh: connect to host nodea port 22: Connection refused";
    const std::string closed = "Connection closed by 127.0.0.1 port 22";
    const struct {
        std::string reason;
        int attempts;
        int dials;
    } cases[] = {{refused, 1, 1}, {closed, 5, 10 + 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        fake.pipes.servers_opened.clear();
        use_rpc();
        fake.pipes.unreachable["nodeA"] = c.reason;
        listen("nodeB", 1);
        test_setup();
        EXPECT_EQ(count_of(info(), "\r\nRPC pipe 1 failed\r\n"), c.attempts);
        EXPECT_EQ(count_of(info(),
                           "\r\nRPC pipe 2 not tried: the first pipe of nodeA did not "
                           "open: " +
                               refused + "\r\n"),
                  c.reason == refused ? 1 : 0);
        EXPECT_EQ(
            std::count(fake.pipes.servers_opened.begin(), fake.pipes.servers_opened.end(), "nodeA"),
            c.dials);
        EXPECT_NE(run_log().find("\rnodeA: " + c.reason), std::string::npos) << run_log();
        EXPECT_EQ(red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
        listeners.clear();
    }
}

TEST_F(ServerSetupTest, TaskServersGetTheJobFolderAsTheirMachineReachesIt) {
    form.controls.Text_server.text = "nodeA\r\nCONTROL1/2";
    start();
    EXPECT_EQ(form.servers.task_servers[1].work_path, "/net/CONTROL1/data/Work/Job_12/");
    EXPECT_EQ(form.servers.task_servers[2].work_path, "/data/Work/Job_12");
    EXPECT_EQ(form.servers.task_servers[3].work_path, "/data/Work/Job_12");
    EXPECT_EQ(form.servers.local_task_server, 2);
}

// A second set-up of the job finds the first one's files and starts afresh.
TEST_F(ServerSetupTest, ASecondSetUpEmptiesEachJobFolderFirst) {
    form.controls.Text_server.text = "CONTROL1\r\nnodeA\r\nnodeB";
    for (const char* folder : {kJobFolder, "/net/nodeA/data/Work/Job_12/"}) {
        fake.files.add_file(std::string(folder) + kClusterFile, "old run");
        fake.files.add_file(std::string(folder) + "Zelkon_job_000012_task_000001.log", "old");
        fake.files.add_file(std::string(folder) + "Zelkon_job_000012_task_000002.sem", "");
        fake.files.add_file(std::string(folder) + "notes", "no dot");
    }
    fake.files.add_file("/net/nodeB/data/Work/Job_12/keep.txt", "no cluster data file here");
    start();
    EXPECT_EQ(fake.files.content(std::string(kJobFolder) + kClusterFile), "cluster data");
    for (const std::string folder : {kJobFolder, "/net/nodeA/data/Work/Job_12/"}) {
        EXPECT_FALSE(fake.files.file_exists(folder + "Zelkon_job_000012_task_000001.log"));
        EXPECT_FALSE(fake.files.file_exists(folder + "Zelkon_job_000012_task_000002.sem"));
        EXPECT_FALSE(fake.files.file_exists(folder + "notes"));
    }
    EXPECT_FALSE(fake.files.file_exists("/net/nodeA/data/Work/Job_12/zelkon_cluster_000012.zcd"));
    EXPECT_TRUE(fake.files.file_exists("/net/nodeB/data/Work/Job_12/keep.txt"));
}

TEST_F(ServerSetupTest, AReadOnlyFileInAJobFolderToEmptyEndsTheSetUpAtStage25) {
    fake.files.add_file("/net/nodeA/data/Work/Job_12/zelkon_cluster_000012.zcd", "old run");
    fake.files.add_file("/net/nodeA/data/Work/Job_12/old.zpc", "old");
    fake.files.set_read_only("/net/nodeA/data/Work/Job_12/old.zpc");
    start();
    EXPECT_EQ(only_message(),
              "An error occurred while setting up the cluster run: Permission denied: "
              "/net/nodeA/data/Work/Job_12/ at stage 25 while performing action: Set up the "
              "server list");
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

}  // namespace
}  // namespace zelkon
