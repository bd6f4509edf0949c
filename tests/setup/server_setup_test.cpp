// Stages 6 to 25: the statistics grid, the pipe clients, each machine's job
// folder and the channels to the task servers.
#include <algorithm>
#include <functional>

#include "platform/error.h"
#include "server_setup_fixture.h"
#include "setup/listing_command.h"

namespace zelkon {
namespace {

// Without RPC each machine is reached once, and its task servers get the job
// folder as that machine reaches it.
TEST_F(ServerSetupTest, EachMachineGetsItsJobFolderAndOneChannel) {
    controls.Grid_server_stats_width = 12348;  // W / 5 - 300 = 2169.6
    controls.Text_server.text = "nodeA/2\r\nCONTROL1/2";
    run_stages();
    const GridControl& grid = controls.Grid_server_stats;
    ASSERT_EQ(grid.rows(), 5);
    EXPECT_EQ(grid.col_widths, (std::vector<int>{2170, 900, 2170, 2170, 2170, 2170}));
    std::string texts;
    for (int row = 0; row < 5; ++row) {
        texts += grid.cell(row, 0).text + "|" + grid.cell(row, 5).text + "|" +
                 (row > 0 && grid.cell(row, 1).back_color == kColorGreen ? "green " : " ");
    }
    EXPECT_EQ(texts,
              "Server Name|Total Overhead (s)| nodeA/0/0||green nodeA/1/0||green "
              "CONTROL1/0/0||green CONTROL1/1/0||green ");
    EXPECT_EQ(grid.cell(0, 3).text, "Data points/min");
    EXPECT_TRUE(fake.files.folder_exists("/net/nodeA/data/Work/Job_12"));
    EXPECT_EQ(servers.machines[1].network_path, "/net/nodeA/data/Work/Job_12/");
    EXPECT_EQ(fake.management.connects, std::vector<std::string>{"nodeA"});
    ASSERT_GE(channels.server_wmi_process.size(), 4u);
    EXPECT_EQ(channels.server_wmi_process[0], channels.server_wmi_process[1]);
    EXPECT_NE(channels.server_wmi_process[0], nullptr);
    EXPECT_EQ(servers.task_servers[1].work_path, "/net/CONTROL1/data/Work/Job_12/");
    EXPECT_EQ(servers.task_servers[3].work_path, "/data/Work/Job_12");
    EXPECT_EQ(servers.local_task_server, 3);
    EXPECT_EQ(fake.files.content("/data/Work/Job_12/zelkon_cluster_000012.zcd"), "cluster data");
    EXPECT_NE(logged.find("\r\rSet up the servers\r\rCluster data file: zelkon_cluster_000012.zcd"
                          "\r\rServer: nodeA/0\r\rServer: nodeA/1\r\rServer: CONTROL1/0"),
              std::string::npos)
        << logged;
}

// With a share every machine reaches the controller's job folder through it.
TEST_F(ServerSetupTest, MachinesShareTheControllersJobFolderThroughAShare) {
    controls.Text_network_share.text = "/mnt/ctl";
    run_stages();
    EXPECT_EQ(servers.machines[1].work_path, "/mnt/ctl/Job_12/");
    EXPECT_EQ(servers.machines[1].network_path, "/data/Work/Job_12/");
    EXPECT_FALSE(fake.files.folder_exists("/net/nodeA/data/Work"));
    EXPECT_EQ(fake.management.created.at(0).command_line,
              listing_command("/mnt/ctl/Job_12/", {"zelkon_cluster_task"}));
}

// A second set-up of the job finds the first one's files and starts afresh;
// a folder without the cluster data file is not the job's, and is left alone.
TEST_F(ServerSetupTest, ASecondSetUpEmptiesEachJobFolderFirst) {
    controls.Text_server.text = "CONTROL1\r\nnodeA\r\nnodeB";
    for (std::string folder : {"/data/Work/Job_12/", "/net/nodeA/data/Work/Job_12/"}) {
        fake.files.add_file(folder + "zelkon_cluster_000012.zcd", "old run");
        fake.files.add_file(folder + "Zelkon_job_000012_task_000001.log", "old");
        fake.files.add_file(folder + "notes", "no dot");
    }
    fake.files.add_file("/net/nodeB/data/Work/Job_12/keep.txt", "no cluster data file here");
    run_stages();
    EXPECT_EQ(fake.files.content("/data/Work/Job_12/zelkon_cluster_000012.zcd"), "cluster data");
    for (std::string folder : {"/data/Work/Job_12/", "/net/nodeA/data/Work/Job_12/"}) {
        EXPECT_FALSE(fake.files.file_exists(folder + "Zelkon_job_000012_task_000001.log"));
        EXPECT_FALSE(fake.files.file_exists(folder + "notes"));
    }
    EXPECT_FALSE(fake.files.file_exists("/net/nodeA/data/Work/Job_12/zelkon_cluster_000012.zcd"));
    EXPECT_TRUE(fake.files.file_exists("/net/nodeB/data/Work/Job_12/keep.txt"));
}

// What a stage throws, for the set-up to report with the stage; each case
// on a fresh set-up.
TEST_F(ServerSetupTest, AMachineThatCannotBeSetUpEndsTheSetUpWithTheReason) {
    using Arrange = std::function<void(ServerSetupTest&)>;
    const std::pair<Arrange, std::string> cases[] = {
        {[](ServerSetupTest& t) { t.fake.files.folders.erase("/net/nodeB/data"); },
         "Path not found: /net/nodeB/data/Work/"},
        {[](ServerSetupTest& t) { t.controls.Text_server.text = ".."; },
         "Not a machine name: \"..\""},
        {[](ServerSetupTest& t) {
             t.fake.management.make_unreachable(
                 "nodeB", "ssh: Could not resolve hostname nodeb: Name or service not known");
         },
         "ssh: Could not resolve hostname nodeb: Name or service not known"},
        {[](ServerSetupTest& t) {
             const std::string folder = "/net/nodeA/data/Work/Job_12/";
             t.fake.files.add_file(folder + "zelkon_cluster_000012.zcd", "old");
             t.fake.files.add_file(folder + "old.zpc", "old");
             t.fake.files.set_read_only(folder + "old.zpc");
         },
         "Permission denied: /net/nodeA/data/Work/Job_12/"},
        {[](ServerSetupTest& t) {
             t.fake.management.on_create = [&t](const CreatedProcess& process) {
                 t.run_listing(process.command_line);
                 t.fake.files.set_read_only(kListing);
             };
         },
         "Path/File access error: /data/Work/Job_12/dir.lst"},
    };
    for (const auto& [arrange, reason] : cases) {
        ServerSetupTest fresh;
        arrange(fresh);
        try {
            fresh.run_stages();
            ADD_FAILURE() << "no error: " << reason;
        } catch (const ZelkonError& error) {
            EXPECT_EQ(error.description(), reason);
        }
    }
    EXPECT_EQ(server_setup.remote_folder_hint("Path not found: /net/nodeB/data/Work/"),
              "The controller reaches another machine's job folder as /net/HOST/... "
              "(ZELKON_NET_ROOT names another root than /net): make it reachable there with an "
              "automounted /net, a mounted share or a shared file system, or give a network "
              "share.");
}

// A reason that holds for the whole machine fails its other pipes at once
// and spares it the connection test's dial; any other reason, or none,
// keeps each pipe's five tries, half a second apart.
TEST_F(ServerSetupTest, WithRpcOnlyAMachineWideFailureSparesTheOtherPipes) {
    const std::string refused = "ssh: connect to host nodea port 22: Connection refused";
    const struct {
        std::string reason;
        int attempts;
        int dials;
    } cases[] = {{refused, 1, 1}, {"Connection closed by 127.0.0.1 port 22", 5, 11}, {"", 5, 11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ServerSetupTest t;
        t.use_rpc();
        t.fake.pipes.unreachable["nodeA"] = c.reason;
        t.listen("nodeB", 1);
        std::int64_t before = t.fake.clock.tick_ms();
        t.run_stages();
        EXPECT_EQ(count_of(t.info(), "\r\nRPC pipe 1 failed\r\n"), c.attempts);
        bool machine_wide = c.reason == refused;
        EXPECT_EQ(count_of(t.info(), "\r\nRPC pipe 2 failed\r\n"), machine_wide ? 0 : 5);
        EXPECT_EQ(count_of(t.info(),
                           "\r\nRPC pipe 2 not tried: the first pipe of nodeA did not "
                           "open: " +
                               refused + "\r\n"),
                  machine_wide ? 1 : 0);
        EXPECT_EQ(std::count(t.fake.pipes.servers_opened.begin(), t.fake.pipes.servers_opened.end(),
                             "nodeA"),
                  c.dials);
        EXPECT_GE(t.fake.clock.tick_ms() - before, (c.attempts - 1) * 500);
        EXPECT_EQ(count_of(t.info(), "\r\nRPC pipe 3 opened\r\n"), 1);
        EXPECT_EQ(t.red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
    }
}

// Clients are kept for the form's life: fewer task servers reuse the first
// ones, more add only the missing ones.
TEST_F(ServerSetupTest, PipeClientsAreReusedWhateverTheNumberOfTaskServers) {
    use_rpc();
    listen("", 6);
    controls.Text_server.text = "control1/5";  // this computer, in any case
    run_stages();
    ASSERT_EQ(channels.num_pipes, 5);
    EXPECT_EQ(channels.PipeRPC_Zelkon[0]->Server(), ".");
    EXPECT_EQ(channels.PipeRPC_Zelkon[0]->PipeName(), "Zelkon_Server");
    PipeRPC* first = channels.PipeRPC_Zelkon[0].get();
    controls.Text_server.text = "CONTROL1/3";
    run_stages();
    EXPECT_EQ(channels.num_pipes, 5);
    EXPECT_EQ(count_of(info(), "RPC pipe 3 opened"), 1);
    EXPECT_EQ(count_of(info(), "RPC pipe 4"), 0);
    controls.Text_server.text = "CONTROL1/6";
    run_stages();
    EXPECT_EQ(channels.num_pipes, 6);
    EXPECT_EQ(channels.PipeRPC_Zelkon[0].get(), first);
}

}  // namespace
}  // namespace zelkon
