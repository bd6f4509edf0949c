// Start Cluster Run and Test Cluster Setup through the form, which composes
// the set-up's parts: a correct set-up, each way it ends early, and the
// verdicts of a test.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include "fake_listener.h"
#include "form/Form_zelkon_cluster_controller.h"
#include "platform/error.h"

namespace zelkon {
namespace {

// Valid settings for nodeA (2 task servers) and nodeB, job 12 in /data/Work,
// an inversion folder holding zelkon.inp, an init that writes its log and
// the cluster file, and machines that run the listing.
class RunSetupTest : public ::testing::Test {
  public:
    static constexpr const char* kInfoFile = "/inv/demo/zelkon_cluster_init_12.info";

    RunSetupTest() {
        FormControls& c = form.controls;
        c.Text_server.text = "nodeA/2\r\nnodeB";
        c.Text_work_drive.text = "/data";
        c.Text_work_folder.text = "Work";
        c.Text_jobID.text = "12";
        c.Text_max_tasks.text = "100";
        c.Dir1 = "/inv/demo";
        for (const char* folder : {"/data", "/net/nodeA/data", "/net/nodeB/data"}) {
            fake.files.add_folder(folder);
        }
        fake.files.add_file("/inv/demo/zelkon.inp", "");
        form.hooks.on_run_ended = [this](RunOutcome outcome) { outcomes.push_back(outcome); };
        fake.processes.on_start = [this](const FakeProcessStarter::Started& process) {
            if (process.command_line.starts_with("zelkon ")) {
                fake.files.add_file("/inv/demo/zelkon_cluster_init_12.log", init_log);
                fake.files.add_file("/inv/demo/zelkon_cluster_000012.zcd", "cluster data");
            }
            run_listing(process.command_line);
        };
        fake.management.on_create = [this](const auto& p) { run_listing(p.command_line); };
    }

    void run_listing(const std::string& command) {
        if (command.starts_with("{ dir ") && fake.files.folder_exists("/data/Work/Job_12")) {
            fake.files.add_file(listing_written_by(command), "listing");
        }
    }
    std::string only_message() const {
        EXPECT_EQ(fake.dialogs.messages.size(), 1u);
        return fake.dialogs.messages.empty() ? "" : fake.dialogs.messages.back();
    }
    void TestBody() override {}
    bool run_log_has(const std::string& text) const {
        return form.controls.TextBox_run_log.text.find(text) != std::string::npos;
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    std::string init_log =
        "Number of observed data: 1004\r\nNumber of Components: 1\r\nData type, restart: 1\r\n"
        "Data type: gz\r\nCluster File: zelkon_cluster_000012.zcd\r\n";
    std::vector<RunOutcome> outcomes;  // what the host was told, once per run
};

// A start also deletes the earlier run's matrices, and says so.
TEST_F(RunSetupTest, AStartWalksTheStagesAndHandsTheRunToTheTimer) {
    form.controls.Text_network_share.text = " /mnt/ctl ";
    init_log =
        "Number of observed data: 1004\r\nNumber of Components: 2\r\n"
        "Data type, restart: 1 2\r\nData type: gz gx\r\n"
        "Cluster File: zelkon_cluster_000012.zcd\r\n";
    fake.files.add_file("/inv/demo/parvex_gz.mtx", "old");
    fake.files.add_file("/inv/demo/gtg.dat", "old");
    form.Command_start_cluster_run_Click(1);
    EXPECT_TRUE(fake.dialogs.messages.empty()) << fake.dialogs.messages.front();
    EXPECT_EQ(fake.current_directory.path, "/inv/demo/");
    EXPECT_TRUE(form.Timer_cluster_task->enabled());
    EXPECT_EQ(form.Timer_cluster_task->interval(), 100);
    EXPECT_FALSE(form.run.run_terminated);
    EXPECT_EQ(form.tasks.num_tasks, 100);
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
    const std::map<std::string, std::string> stored = {
        {"ServerList", "nodeA/2\r\nnodeB"}, {"WorkDrive", "/data"}, {"WorkFolder", "Work"},
        {"LocalPath", "/inv/demo/"},        {"JobID", "12"},        {"MaxTasks", "100"},
        {"NetworkShare", "/mnt/ctl"},       {"UseRPC", "No"}};
    for (const auto& [key, value] : stored) {
        EXPECT_EQ(fake.settings.values[key], value) << key;
    }
    EXPECT_TRUE(fake.files.file_exists("/inv/demo/Zelkon_job_000012.inp"));
    EXPECT_FALSE(fake.files.file_exists("/inv/demo/parvex_gz.mtx"));
    EXPECT_FALSE(fake.files.file_exists("/inv/demo/gtg.dat"));
    EXPECT_NE(fake.files.content(kInfoFile).find(
                  "\r\nKill MTXfile 1: /inv/demo/parvex_gz.mtx\r\n\r\n"
                  "Kill MTXfile 2: /inv/demo/parvex_gx.mtx\r\n\r\n"
                  "Kill gtg file 3: /inv/demo/gtg.dat\r\n\r\n"
                  "Kill layer response file 3: /inv/demo/layer_response.dat\r\n"),
              std::string::npos);
}

// The verdict counts the task servers whose pipes opened (with RPC, no
// listener, then one on nodeA only); a test starts nothing and records the
// set-up in the info file.
TEST_F(RunSetupTest, ATestGivesItsVerdictAndStartsNothing) {
    form.Command_start_cluster_run_Click(0);
    form.controls.Check_use_RPC.value = 1;
    form.Command_start_cluster_run_Click(0);
    FakeListener listener(fake, "nodeA", 2, [this](const std::string& c) { run_listing(c); });
    form.Command_start_cluster_run_Click(0);
    EXPECT_EQ(fake.dialogs.messages,
              (std::vector<std::string>{
                  "Setup appears to be correct",
                  "Setup appears to be correct, but no task servers were opened\r\n"
                  "Check that the RPC listener program is running",
                  "Setup appears to be correct, but not all of the requested task servers were "
                  "opened\r\nCheck that the RPC listener program has enough clients enabled"}));
    // Good news gets the information icon.
    EXPECT_EQ(fake.dialogs.warnings, std::vector<std::string>(fake.dialogs.messages.begin() + 1,
                                                              fake.dialogs.messages.end()));
    EXPECT_EQ(outcomes,
              (std::vector<RunOutcome>{RunOutcome::test_correct, RunOutcome::test_incorrect,
                                       RunOutcome::test_incorrect}));
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(form.controls.Command_stop_cluster_run.visible);
    EXPECT_TRUE(form.controls.Command_start_cluster_run[0].enabled);
    EXPECT_TRUE(run_log_has("Zelkon Cluster finished at"));
    EXPECT_TRUE(fake.files.content(kInfoFile).starts_with(
        "Nimbal_Controller info V1.1\r\n\r\nJob ID: 000012\r\n\r\nWork Drive: /data\r\n\r\n"
        "Work Folder: Work/Job_12\r\n\r\nLocal Path: /inv/demo/\r\n\r\n"
        "Folder Share Name: \r\n\r\nMax Tasks: 100\r\n\r\nUse RPC: Yes\r\n\r\n"
        "Local Computer Name: CONTROL1\r\n\r\nLocal Work Path: /data/Work/Job_12/\r\n\r\n"
        "Network Share Name: /net/CONTROL1/data/Work/Job_12/\r\n\r\n"
        "ServerList: nodeA/2\r\nnodeB\r\n\r\nNum Servers: 2\r\n\r\n"
        "Server: 1 nodeA Count: 2 Threads: 0\r\nServer: 2 nodeB Count: 1 Threads: 0\r\n"
        "\r\nTotal Task Servers: 3\r\n\r\nSet up work folders\r\n"))
        << fake.files.content(kInfoFile);
    EXPECT_TRUE(fake.files.content(kInfoFile).ends_with(
        "\r\nSettings saved\r\n\r\nTotal Time Servers: 00:00:00\r\n"));
}

// Each ends with its message and cleans up; the job folder made at stage 4
// goes again when nothing was put into it, and a missing work drive makes
// nothing at all.
TEST_F(RunSetupTest, ASetUpThatStopsSaysWhereAndCleansUp) {
    const std::string error = "An error occurred while setting up the cluster run: ";
    using Arrange = std::function<void(RunSetupTest&)>;
    // How it is arranged, what it says, how it ends, whether the job folder stays.
    const std::tuple<Arrange, std::string, RunOutcome, bool> cases[] = {
        {[](RunSetupTest& t) { t.form.controls.Text_server.text = ""; },
         "No server names have been specified", RunOutcome::setup_stopped, false},
        {[](RunSetupTest& t) { t.fake.files.folders.erase("/data"); },
         error + "Path not found: /data at stage 4 while performing action: Set up the work path "
                 "using the local drive",
         RunOutcome::error, false},
        {[](RunSetupTest& t) { t.fake.files.files.erase("/inv/demo/zelkon.inp"); },
         "The Zelkon input file does not exist in the specified folder: /inv/demo/",
         RunOutcome::setup_stopped, false},
        {[](RunSetupTest& t) {
             t.fake.processes.on_wait = [](const FakeProcessStarter::Started&) {
                 throw ZelkonError(462, "The remote server machine does not exist");
             };
         },
         error + "The remote server machine does not exist at stage 14 while performing action: "
                 "Run the zelkon init process",
         RunOutcome::error, false},
        {[](RunSetupTest& t) { t.fake.files.folders.erase("/net/nodeB/data"); },
         error + "Path not found: /net/nodeB/data/Work/ at stage 10 while performing action: Set "
                 "up the work folders\r\nThe controller reaches another machine's job folder",
         RunOutcome::error, false},
        {[](RunSetupTest& t) {
             t.fake.files.add_file("/inv/demo/parvex.mtx", "old");
             t.fake.files.set_read_only("/inv/demo/parvex.mtx");
         },
         error + "Path/File access error: /inv/demo/parvex.mtx at stage 29 while performing "
                 "action: Delete any existing files if they are not being used",
         RunOutcome::error, true},
    };
    for (const auto& [arrange, message, outcome, folder_stays] : cases) {
        RunSetupTest t;
        arrange(t);
        t.form.Command_start_cluster_run_Click(1);
        EXPECT_TRUE(t.only_message().starts_with(message)) << t.only_message();
        EXPECT_EQ(t.outcomes, std::vector<RunOutcome>{outcome});
        EXPECT_EQ(t.fake.dialogs.warnings, t.fake.dialogs.messages);
        EXPECT_FALSE(t.form.Timer_cluster_task->enabled());
        EXPECT_FALSE(t.form.controls.busy_pointer);
        EXPECT_TRUE(t.form.controls.Command_start_cluster_run[0].enabled);
        EXPECT_EQ(t.fake.files.folder_exists("/data/Work/Job_12"), folder_stays) << message;
        if (message.find("stage 4") != std::string::npos) {
            EXPECT_FALSE(t.fake.files.folder_exists("/data"));
        }
    }
}

}  // namespace
}  // namespace zelkon
