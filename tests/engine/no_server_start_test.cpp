#include "run_setup_fixture.h"

namespace zelkon {
namespace {

// The set-up opened none of the task servers (as a server set-up with every
// pipe refused leaves them).
class NoServerStartTest : public RunSetupTest {
  protected:
    void SetUp() override {
        RunSetupTest::SetUp();
        fake.processes.on_start = [this](const FakeProcessStarter::Started& process) {
            if (process.command_line.starts_with("zelkon zelkon.inp")) {
                write_init_outputs();
                for (TaskServer& server : form.servers.task_servers) {
                    server.failed = true;
                }
            }
        };
    }
};

TEST_F(NoServerStartTest, AStartWithNoUsableServerStopsInsteadOfArmingTheTimer) {
    start();
    EXPECT_EQ(fake.dialogs.messages,
              std::vector<std::string>{"An error was encountered while running the calculation: "
                                       "No task server is left to run the remaining tasks"});
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
    EXPECT_FALSE(form.controls.busy_pointer);
    EXPECT_EQ(outcomes, std::vector<RunOutcome>{RunOutcome::error});
}

}  // namespace
}  // namespace zelkon
