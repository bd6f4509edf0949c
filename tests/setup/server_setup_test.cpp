// Stages 6 to 25: the grid, the pipe clients, each machine's job folder and the channels.
#include <algorithm>
#include <functional>

#include "platform/error.h"
#include "server_setup_fixture.h"
#include "setup/listing_command.h"

namespace zelkon {
namespace {

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

// A second set-up empties the job's folders; one without the cluster data file stays.
TEST_F(ServerSetupTest, ASecondSetUpEmptiesEachJobFolderFirst) {
    controls.Text_server.text = "CONTROL1\r\nnodeA\r\nnodeB";
    for (std::string folder : {"/data/Work/Job_12/", "/net/nodeA/data/Work/Job_12/"}) {
        fake.files.add_file(folder + "zelkon_cluster_000012.zcd", "old run");
        fake.files.add_file(folder + "Zelkon_job_000012_task_000001.log", "old");
    }
    fake.files.add_file("/net/nodeB/data/Work/Job_12/keep.txt", "no cluster data file here");
    run_stages();
    EXPECT_EQ(fake.files.content("/data/Work/Job_12/zelkon_cluster_000012.zcd"), "cluster data");
    for (std::string folder : {"/data/Work/Job_12/", "/net/nodeA/data/Work/Job_12/"}) {
        EXPECT_FALSE(fake.files.file_exists(folder + "Zelkon_job_000012_task_000001.log"));
    }
    EXPECT_FALSE(fake.files.file_exists("/net/nodeA/data/Work/Job_12/zelkon_cluster_000012.zcd"));
    EXPECT_TRUE(fake.files.file_exists("/net/nodeB/data/Work/Job_12/keep.txt"));
}

// What a stage throws, for the set-up to report; each case on a fresh set-up.
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

// A machine-wide reason fails the other pipes at once and spares the test's dial; otherwise
// each pipe gets five tries, half a second apart.
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
        const std::string not_tried =
            "RPC pipe 2 not tried: the first pipe of nodeA did not open: ";
        EXPECT_EQ(count_of(t.info(), "\r\n" + not_tried + refused + "\r\n"), machine_wide ? 1 : 0);
        EXPECT_EQ(std::count(t.fake.pipes.servers_opened.begin(), t.fake.pipes.servers_opened.end(),
                             "nodeA"),
                  c.dials);
        EXPECT_GE(t.fake.clock.tick_ms() - before, (c.attempts - 1) * 500);
        EXPECT_EQ(t.red_rows(), (std::vector<std::string>{"nodeA/0/0", "nodeA/1/0"}));
    }
}

// Every machine's login begins before the set-up waits for any. With RPC a machine's other
// pipes follow its first, whose login opens the master connection they share.
TEST_F(ServerSetupTest, EveryMachineIsReachedAtOnce) {
    controls.Text_server.text = "nodeA/2\r\nnodeB/2";
    run_stages();
    EXPECT_EQ(
        fake.management.reached,
        (std::vector<std::string>{"begin nodeA", "begin nodeB", "connect nodeA", "connect nodeB"}));
    ServerSetupTest rpc;
    rpc.use_rpc();
    rpc.controls.Text_server.text = "nodeA/2\r\nnodeB/2";
    rpc.listen("nodeA", 2);
    rpc.listen("nodeB", 2);
    rpc.run_stages();
    EXPECT_EQ(rpc.fake.pipes.reached,
              (std::vector<std::string>{"ahead nodeA", "ahead nodeB", "open nodeA", "ahead nodeA",
                                        "open nodeB", "ahead nodeB", "open nodeA", "open nodeB"}));
    EXPECT_EQ(rpc.red_rows(), std::vector<std::string>{});
}

// Clients live as long as the form: fewer servers reuse them, more add only the missing.
TEST_F(ServerSetupTest, PipeClientsAreReusedWhateverTheNumberOfTaskServers) {
    use_rpc();
    listen("", 6);
    controls.Text_server.text = "control1/5";  // this computer, in any case
    run_stages();
    ASSERT_EQ(channels.num_pipes, 5);
    EXPECT_EQ(channels.PipeRPC_Zelkon[0]->Server(), ".");
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
