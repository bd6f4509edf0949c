// Test Cluster Setup through the form, which composes the set-up's parts: its verdicts.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "fake_listener.h"
#include "form/Form_zelkon_cluster_controller.h"
#include "platform/error.h"

namespace zelkon {
namespace {

// Valid settings for nodeA/2 and nodeB, job 12 in /data/Work, /inv/demo with an init and listings.
class RunSetupTest : public ::testing::Test {
  public:
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

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
    std::string init_log =
        "Number of observed data: 1004\r\nNumber of Components: 1\r\nData type, restart: 1\r\n"
        "Data type: gz\r\nCluster File: zelkon_cluster_000012.zcd\r\n";
    std::vector<RunOutcome> outcomes;  // what the host was told, once per run
    void TestBody() override {}
};

// The verdict counts the pipes opened (with RPC: no listener, then only nodeA's).
TEST_F(RunSetupTest, ATestGivesItsVerdictAndStartsNothing) {
    form.controls.Check_use_RPC.value = 1;
    form.Command_start_cluster_run_Click(0);
    FakeListener listener(fake, "nodeA", 2, [this](const std::string& c) { run_listing(c); });
    form.Command_start_cluster_run_Click(0);
    EXPECT_EQ(fake.dialogs.messages,
              (std::vector<std::string>{
                  "Setup appears to be correct, but no task servers were opened\r\n"
                  "Check that the RPC listener program is running",
                  "Setup appears to be correct, but not all of the requested task servers were "
                  "opened\r\nCheck that the RPC listener program has enough clients enabled"}));
    EXPECT_EQ(fake.dialogs.warnings, fake.dialogs.messages);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>(2, RunOutcome::test_incorrect));
    EXPECT_FALSE(form.controls.Command_stop_cluster_run.visible);
}

// A set-up that stops says why, ends once, and removes a job folder it left
// empty; one that stops after tasks could have written there keeps it. No pipe
// dialled ahead is left to hold a listener's client.
TEST_F(RunSetupTest, ASetUpThatStopsSaysWhyAndCleansUp) {
    using Arrange = std::function<void(RunSetupTest&)>;
    const std::tuple<Arrange, std::string, RunOutcome, bool> cases[] = {
        {[](RunSetupTest& t) { t.form.controls.Text_server.text = ""; },
         "No server names have been specified", RunOutcome::setup_stopped, false},
        {[](RunSetupTest& t) {
             t.form.controls.Check_use_RPC.value = 1;
             t.fake.processes.on_wait = [](const FakeProcessStarter::Started&) {
                 throw ZelkonError(462, "The remote server machine does not exist");
             };
         },
         "at stage 14 while performing action: Run the zelkon init process", RunOutcome::error,
         false},
        {[](RunSetupTest& t) {
             t.fake.files.add_file("/inv/demo/parvex.mtx", "old");
             t.fake.files.set_read_only("/inv/demo/parvex.mtx");
         },
         "at stage 29 while performing action: Delete any existing files", RunOutcome::error, true},
    };
    for (const auto& [arrange, said, outcome, folder_stays] : cases) {
        RunSetupTest t;
        arrange(t);
        t.form.Command_start_cluster_run_Click(1);
        ASSERT_EQ(t.fake.dialogs.warnings.size(), 1u) << said;
        EXPECT_NE(t.fake.dialogs.warnings.back().find(said), std::string::npos)
            << t.fake.dialogs.warnings.back();
        EXPECT_EQ(t.outcomes, std::vector<RunOutcome>{outcome});
        EXPECT_FALSE(t.form.Timer_cluster_task->enabled() || t.form.controls.busy_pointer);
        EXPECT_TRUE(t.form.controls.Command_start_cluster_run[0].enabled);
        EXPECT_EQ(t.fake.files.folder_exists("/data/Work/Job_12"), folder_stays) << said;
        EXPECT_TRUE(t.fake.pipes.dials_ahead.empty()) << said;
    }
}

}  // namespace
}  // namespace zelkon
