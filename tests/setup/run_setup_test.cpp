#include "run_setup_fixture.h"

namespace zelkon {
namespace {

TEST_F(RunSetupTest, AStartWalksTheStagesAndHandsTheRunToTheTimer) {
    start();
    EXPECT_TRUE(fake.dialogs.messages.empty()) << fake.dialogs.messages.front();
    EXPECT_TRUE(fake.files.folder_exists("/data/Work/Job_12"));
    EXPECT_EQ(fake.current_directory.path, kInversion);
    ASSERT_EQ(fake.processes.started.size(), 1u);
    EXPECT_EQ(fake.processes.started[0].command_line, "zelkon zelkon.inp CLUSTER=12");
    EXPECT_EQ(fake.processes.started[0].folder, kInversion);

    EXPECT_TRUE(form.Timer_cluster_task->enabled());
    EXPECT_EQ(form.Timer_cluster_task->interval(), 100);
    EXPECT_FALSE(form.run.run_terminated);
    EXPECT_TRUE(form.controls.Command_stop_cluster_run.visible);
    EXPECT_TRUE(form.controls.Command_pause_run[0].visible);
    EXPECT_FALSE(form.controls.Command_pause_run[1].visible);
    EXPECT_FALSE(form.controls.Command_start_cluster_run[0].enabled);
    EXPECT_FALSE(form.controls.busy_pointer);
    EXPECT_EQ(form.controls.TextBox_run_log.text, "Zelkon Cluster started at 06-Dec-2026 14:05:09");
    EXPECT_EQ(fake.files.content("/inv/demo/zelkon_cluster_000012_process.log"),
              "06-Dec-2026 14:05:09 Zelkon Cluster started\r\n");
    EXPECT_EQ(form.data.assembly_log_file, "/inv/demo/zelkon_cluster_000012_assembly.dat");
    EXPECT_TRUE(outcomes.empty());  // the run goes on
}

TEST_F(RunSetupTest, AStartSavesTheSettingsToTheStoreAndTheJobsSettingsFile) {
    form.controls.Text_network_share.text = " /mnt/ctl ";
    start();
    EXPECT_EQ(fake.settings.values["ServerList"], "nodeA/2\r\nnodeB");
    EXPECT_EQ(fake.settings.values["WorkDrive"], "/data");
    EXPECT_EQ(fake.settings.values["WorkFolder"], "Work");
    EXPECT_EQ(fake.settings.values["LocalPath"], kInversion);
    EXPECT_EQ(fake.settings.values["JobID"], "12");
    EXPECT_EQ(fake.settings.values["MaxTasks"], "100");
    EXPECT_EQ(fake.settings.values["NetworkShare"], "/mnt/ctl");
    EXPECT_EQ(fake.settings.values["UseRPC"], "No");
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/Zelkon_job_000012.inp"));
}

TEST_F(RunSetupTest, TheInfoFileRecordsTheSetUpOfATwoMachineTest) {
    test_setup();
    const std::string expected =
        "Nimbal_Controller info V1.1\r\n\r\n"
        "Job ID: 000012\r\n\r\n"
        "Work Drive: /data\r\n\r\n"
        "Work Folder: Work/Job_12\r\n\r\n"
        "Local Path: /inv/demo/\r\n\r\n"
        "Folder Share Name: \r\n\r\n"
        "Max Tasks: 100\r\n\r\n"
        "Use RPC: No\r\n\r\n"
        "Local Computer Name: CONTROL1\r\n\r\n"
        "Local Work Path: /data/Work/Job_12/\r\n\r\n"
        "Network Share Name: /net/CONTROL1/data/Work/Job_12/\r\n\r\n"
        "ServerList: nodeA/2\r\nnodeB\r\n\r\n"
        "Num Servers: 2\r\n\r\n"
        "Server: 1 nodeA Count: 2 Threads: 0\r\n"
        "Server: 2 nodeB Count: 1 Threads: 0\r\n"
        "\r\nTotal Task Servers: 3\r\n"
        "\r\nSet up work folders\r\n"
        "\r\nCheck for local machine: NODEA  5 CONTROL1  8 Different: No\r\n"
        "\r\nServer 1: nodeA Work Path: /net/nodeA/data/Work/Job_12/\r\n"
        "\r\nCheck for local machine: NODEB  5 CONTROL1  8 Different: No\r\n"
        "\r\nServer 2: nodeB Work Path: /net/nodeB/data/Work/Job_12/\r\n"
        "\r\nWorking directory: /inv/demo/\r\n"
        "\r\nRun the cluster setup process: CONTROL1\r\n"
        "\r\nRun the zelkon init process: zelkon zelkon.inp CLUSTER=12\r\n"
        "\r\nRead the init log file: /inv/demo/zelkon_cluster_init_12.log\r\n"
        "\r\nThe ClusterJobFile file is: /inv/demo/zelkon_cluster_000012.zcd\r\n"
        "\r\nTask Server WorkPath: /net/nodeA/data/Work/Job_12/\r\n"
        "\r\nTask Server WorkPath: /net/nodeB/data/Work/Job_12/\r\n"
        "\r\nSemaphore file name: /inv/demo/Zelkon_job_000012.sem\r\n"
        "\r\nSettings saved\r\n"
        "\r\nTotal Time Servers: 00:00:00\r\n";
    EXPECT_EQ(fake.files.content(kInfoFile), expected);
}

TEST_F(RunSetupTest, ATestReportsItsSummaryCleansUpAndStartsNothing) {
    test_setup();
    EXPECT_EQ(only_message(), "Setup appears to be correct");
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(form.controls.Command_stop_cluster_run.visible);
    EXPECT_TRUE(form.controls.Command_start_cluster_run[0].enabled);
    EXPECT_TRUE(fake.dialogs.questions.empty());
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::test_correct});
    EXPECT_TRUE(fake.dialogs.warnings.empty());  // good news: the information icon
    EXPECT_TRUE(form.controls.TextBox_run_log.text.find("Zelkon Cluster finished at") !=
                std::string::npos);
}

// A mistyped or unmounted work drive must not become a new tree: only the
// job folder's parts are made, below a root that exists.
TEST_F(RunSetupTest, AMissingWorkDriveIsTheStageFourErrorAndNothingIsMade) {
    fake.files.folders.erase("/data");
    start();
    EXPECT_EQ(
        only_message(),
        "An error occurred while setting up the cluster run: Path not found: /data at stage 4 "
        "while performing action: Set up the work path using the local drive");
    EXPECT_FALSE(fake.files.folder_exists("/data"));
    EXPECT_EQ(fake.dialogs.warnings, fake.dialogs.messages);  // a failure: the warning icon
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
}

TEST_F(RunSetupTest, AnEmptyServerListStopsAtTheCheckWithoutTouchingAnything) {
    form.controls.Text_server.text = "";
    start();
    EXPECT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_FALSE(fake.files.file_exists(kInfoFile));
    EXPECT_FALSE(form.controls.busy_pointer);
    EXPECT_TRUE(fake.processes.started.empty());
}

// The job folder made at stage 4 goes again: nothing was put into it.
TEST_F(RunSetupTest, AMissingInputFileStopsAtStageFiveAndNamesTheFolder) {
    fake.files.files.erase("/inv/demo/zelkon.inp");
    start();
    EXPECT_EQ(only_message(),
              "The Zelkon input file does not exist in the specified folder: /inv/demo/");
    EXPECT_FALSE(fake.files.file_exists(kInfoFile));
    EXPECT_TRUE(fake.files.folder_exists("/data/Work"));
    EXPECT_EQ(fake.files.list_folders("/data/Work"), std::vector<std::string>{});
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

TEST_F(RunSetupTest, AnErrorWhileTheInitRunsIsReportedWithStageFourteen) {
    fake.processes.on_wait = [](const FakeProcessStarter::Started&) {
        throw ZelkonError(462, "The remote server machine does not exist or is unavailable");
    };
    start();
    EXPECT_EQ(only_message(),
              "An error occurred while setting up the cluster run: The remote server machine "
              "does not exist or is unavailable at stage 14 while performing action: Run the "
              "zelkon init process");
    EXPECT_TRUE(form.run.run_terminated);
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(form.controls.busy_pointer);
    EXPECT_TRUE(form.controls.TextBox_run_log.text.find("Zelkon Cluster finished at") !=
                std::string::npos)
        << "the error path cleans up";
}

TEST_F(RunSetupTest, AnInitThatCannotStartIsReported) {
    fake.processes.fail_starts = true;
    start();
    EXPECT_EQ(only_message(), "The Zelkon cluster initialisation stage did not start: 9");
    form.controls.Check_use_RPC.value = 1;
    fake.dialogs.messages.clear();
    start();
    EXPECT_EQ(only_message(), "The Zelkon cluster initialisation stage did not start: -1");
}

TEST_F(RunSetupTest, AFreshStartDeletesTheOldMatricesAndSaysSoInTheInfoFile) {
    set_init_line("Number of Components", "Number of Components: 3");
    set_init_line("Data type, restart", "Data type, restart: 1 2 3");
    set_init_line("Data type:", "Data type: gz gx gy");
    fake.files.add_file("/inv/demo/parvex_gz.mtx", "old");
    fake.files.add_file("/inv/demo/gtg.dat", "old");
    start();
    EXPECT_FALSE(fake.files.file_exists("/inv/demo/parvex_gz.mtx"));
    EXPECT_FALSE(fake.files.file_exists("/inv/demo/gtg.dat"));
    std::string info = fake.files.content(kInfoFile);
    EXPECT_NE(info.find("\r\nKill MTXfile 1: /inv/demo/parvex_gz.mtx\r\n\r\n"
                        "Kill MTXfile 2: /inv/demo/parvex_gx.mtx\r\n\r\n"
                        "Kill MTXfile 3: /inv/demo/parvex_gy.mtx\r\n\r\n"
                        "Kill gtg file 4: /inv/demo/gtg.dat\r\n\r\n"
                        "Kill layer response file 4: /inv/demo/layer_response.dat\r\n"),
              std::string::npos)
        << info;
}

TEST_F(RunSetupTest, AReadOnlyOldMatrixIsAnErrorNotASilentKeep) {
    fake.files.add_file("/inv/demo/parvex.mtx", "old");
    fake.files.set_read_only("/inv/demo/parvex.mtx");
    start();
    EXPECT_TRUE(only_message().ends_with(
        " at stage 29 while performing action: Delete any existing files if they are not being "
        "used"));
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

}  // namespace
}  // namespace zelkon
