// Stages 6 to 10: the statistics grid, the pipe clients and each machine's
// job folder.
#include "controller/listing_command.h"
#include "server_setup_fixture.h"

namespace zelkon {
namespace {

TEST_F(ServerSetupTest, TheGridHasAHeaderRowAndOneGreenRowPerTaskServer) {
    form.controls.Grid_server_stats_width = 12348;  // W / 5 - 300 = 2169.6
    test_setup();
    const GridControl& grid = form.controls.Grid_server_stats;
    ASSERT_EQ(grid.rows(), 4);
    ASSERT_EQ(grid.cols(), 6);
    EXPECT_EQ(grid.col_widths, (std::vector<int>{2170, 900, 2170, 2170, 2170, 2170}));
    std::vector<std::string> headers;
    for (int col = 0; col < 6; ++col) {
        headers.push_back(grid.cell(0, col).text);
    }
    EXPECT_EQ(headers, (std::vector<std::string>{"Server Name", "Enabled", "Total Tasks Run",
                                                 "Data points/min", "Total Run Time (min)",
                                                 "Total Overhead (s)"}));
    EXPECT_EQ(grid.cell(1, 0).text, "nodeA/0/0");
    EXPECT_EQ(grid.cell(2, 0).text, "nodeA/1/0");
    EXPECT_EQ(grid.cell(3, 0).text, "nodeB/0/0");
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(grid.cell(row, 1).back_color, kColorGreen) << row;
    }
}

// The local computer in lower case, while the system names it in upper case.
TEST_F(ServerSetupTest, ALowerCaseLocalNameIsThisComputer) {
    form.controls.Text_server.text = "control1/2/4";
    use_rpc();
    FakeListener& here = listen("", 2);
    test_setup();
    EXPECT_EQ(only_message(), "Setup appears to be correct");
    ASSERT_EQ(form.state.PipeRPC_Zelkon.size(), 2u);
    EXPECT_EQ(form.state.PipeRPC_Zelkon[0]->Server(), ".");
    EXPECT_EQ(form.state.PipeRPC_Zelkon[1]->Server(), ".");
    EXPECT_EQ(form.state.PipeRPC_Zelkon[0]->PipeName(), "Zelkon_Server");
    EXPECT_EQ(form.controls.Grid_server_stats.cell(1, 0).text, "control1/0/4");
    EXPECT_EQ(form.controls.Grid_server_stats.cell(2, 0).text, "control1/1/4");
    EXPECT_EQ(here.commands(),
              std::vector<std::string>{listing_command(
                  "/data/Work/Job_12/", {"zelkon_cluster_task", "zelkon_cluster_assemble"})});
    EXPECT_EQ(form.state.local_task_server, 1);
    EXPECT_NE(info().find("\r\nCheck for local machine: CONTROL1  8 CONTROL1  8 Different: Yes\r\n"
                          "\r\nServer 1: control1 Work Path: /data/Work/Job_12/\r\n"),
              std::string::npos)
        << info();
}

// Clients are kept for the form's life: fewer task servers reuse the first
// ones, more add only the missing ones.
TEST_F(ServerSetupTest, PipeClientsAreReusedWhateverTheNumberOfTaskServers) {
    use_rpc();
    listen("", 5);
    form.controls.Text_server.text = "CONTROL1/5";
    test_setup();
    ASSERT_EQ(form.state.num_pipes, 5);
    PipeRPC* first = form.state.PipeRPC_Zelkon[0].get();

    form.controls.Text_server.text = "CONTROL1/3";
    test_setup();
    EXPECT_EQ(form.state.num_pipes, 5);
    EXPECT_EQ(form.state.PipeRPC_Zelkon[0].get(), first);
    EXPECT_NE(info().find("RPC pipe 3 opened"), std::string::npos);
    EXPECT_EQ(info().find("RPC pipe 4"), std::string::npos);

    form.controls.Text_server.text = "CONTROL1/6";
    test_setup();
    EXPECT_EQ(form.state.num_pipes, 6);
    EXPECT_EQ(form.state.PipeRPC_Zelkon[0].get(), first);
    EXPECT_EQ(fake.dialogs.messages.back(),
              "Setup appears to be correct, but not all of the requested task servers were "
              "opened\r\nCheck that the RPC listener program has enough clients enabled");
}

TEST_F(ServerSetupTest, ARemoteMachineWithoutAShareGetsItsJobFolderUnderTheNetRoot) {
    start();
    EXPECT_TRUE(fake.files.folder_exists("/net/nodeA/data/Work/Job_12"));
    EXPECT_TRUE(fake.files.folder_exists("/net/nodeB/data/Work/Job_12"));
    const Machine& nodeA = form.state.machines[1];
    EXPECT_FALSE(nodeA.is_local);
    EXPECT_EQ(nodeA.work_path, kJobFolder);
    EXPECT_EQ(nodeA.network_path, "/net/nodeA/data/Work/Job_12/");
    EXPECT_EQ(form.state.local_task_server, 0);
    EXPECT_NE(run_log().find("\rServer 1: nodeA Network path: /net/nodeA/data/Work/Job_12/"
                             "\rServer 2: nodeB Network path: /net/nodeB/data/Work/Job_12/"),
              std::string::npos)
        << run_log();
}

TEST_F(ServerSetupTest, WithAShareTheOtherMachinesUseTheControllersJobFolder) {
    form.controls.Text_network_share.text = "/mnt/ctl";
    start();
    const Machine& nodeA = form.state.machines[1];
    EXPECT_EQ(nodeA.work_path, "/mnt/ctl/Job_12/");
    EXPECT_EQ(nodeA.network_path, kJobFolder);
    EXPECT_FALSE(fake.files.folder_exists("/net/nodeA/data/Work"));
    EXPECT_EQ(fake.management.created.at(0).command_line,
              listing_command("/mnt/ctl/Job_12/", {"zelkon_cluster_task"}));
}

TEST_F(ServerSetupTest, AJobFolderThatCannotBeMadeOnAMachineEndsTheSetUpAtStageTen) {
    fake.files.folders.erase("/net/nodeB/data");
    start();
    EXPECT_EQ(only_message(),
              "An error occurred while setting up the cluster run: Path not found: "
              "/net/nodeB/data/Work/ at stage 10 while performing action: Set up the work "
              "folders\r\nThe controller reaches another machine's job folder as /net/HOST/... "
              "(ZELKON_NET_ROOT names another root than /net): make it reachable there with an "
              "automounted /net, a mounted share or a shared file system, or give a network "
              "share.");
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
}

TEST_F(ServerSetupTest, AMachineNamedDotDotMakesNoFolderOutsideTheNetRoot) {
    form.controls.Text_server.text = "..";
    start();
    EXPECT_EQ(only_message(),
              "An error occurred while setting up the cluster run: Not a machine name: \"..\" "
              "at stage 10 while performing action: Set up the work folders");
}

}  // namespace
}  // namespace zelkon
