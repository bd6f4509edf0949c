#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../platform/temp_folder.h"
#include "controller/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_environment.h"
#include "platform/fake/fake_pipe_transport.h"
#include "platform/fake/fake_services.h"
#include "platform/local_management_service.h"
#include "platform/posix_file_system.h"
#include "platform/posix_process_starter.h"
#include "platform/posix_system_info.h"
#include "platform/system_clock.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// The controller's set-up against the real reference programs, files and
// processes and real waits (the connection test waits for a real listing);
// only the dialogs, the store and the timers are simulated.
class InitWithReferencePrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string path = std::string(ZELKON_BIN_DIR) + ":" + std::getenv("PATH");
        setenv("PATH", path.c_str(), 1);
        fs::create_directories(inversion());
        fs::copy_file(std::string(ZELKON_EXAMPLES_DIR) + "/demo/zelkon.inp",
                      inversion() + "/zelkon.inp");
        form.controls.Text_server.text = computer_name.get() + "/2";
        form.controls.Text_work_drive.text = temp.path();
        form.controls.Text_work_folder.text = "Work";
        form.controls.Text_jobID.text = "7";
        form.controls.Text_max_tasks.text = "10";
        form.controls.Dir1 = inversion();
    }
    void TearDown() override { directory.set(start_directory); }

    std::string inversion() const { return temp.path() + "/inv"; }

    TempFolder temp;
    PosixFileSystem files;
    PosixProcessStarter processes;
    HostComputerName computer_name;
    LocalManagementService management{processes, computer_name.get()};
    FakeClock timers;
    SystemClock clock;
    FakeEventPump events;
    FakeSettingsStore settings;
    FakeDialogs dialogs;
    PosixCurrentDirectory directory;
    std::string start_directory = directory.get();
    FakeEnvironment environment;
    FakePipeTransport pipes{timers};
    Form_zelkon_cluster_controller form{Platform{files, processes, management, pipes, clock, timers,
                                                 events, settings, dialogs, directory,
                                                 computer_name, environment}};
};

TEST_F(InitWithReferencePrograms, TestClusterSetupRunsTheInitAndReadsItsLog) {
    form.Command_start_cluster_run_Click(0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].starts_with("Setup appears to be correct"))
        << dialogs.messages[0];
    EXPECT_GT(form.state.num_data, 0);
    EXPECT_GT(form.state.num_x_cells, 0);
    EXPECT_GE(form.state.num_components, 1);
    EXPECT_TRUE(files.file_exists(inversion() + "/" + form.state.cluster_data_file));
    EXPECT_GE(form.state.num_tasks, 1);
    EXPECT_EQ(form.state.cluster_task[form.state.num_tasks].last_datum, form.state.num_data);
    std::vector<std::string> info;
    ASSERT_TRUE(files.read_lines(inversion() + "/zelkon_cluster_init_7.info", info));
    EXPECT_EQ(info.front(), "Nimbal_Controller info V1.1");
    EXPECT_EQ(info.back(), "Total Time Servers: 00:00:00");
    EXPECT_TRUE(files.file_exists(inversion() + "/Zelkon_job_000007.inp"));
}

// This computer is reached without a listener when Use RPC is cleared.
TEST_F(InitWithReferencePrograms, AStartOpensTheProcessLogAndStartsTheTimer) {
    form.controls.Check_use_RPC.value = 0;
    form.Command_start_cluster_run_Click(1);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
    EXPECT_TRUE(form.Timer_cluster_task->enabled());
    std::string stem =
        form.state.cluster_data_file.substr(0, form.state.cluster_data_file.size() - 4);
    EXPECT_TRUE(files.file_exists(inversion() + "/" + stem + "_process.log"));
    form.run_control.cluster_cleanup();
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

TEST_F(InitWithReferencePrograms, AnInitThatReportsAnErrorStopsWithItsLine) {
    setenv("ZELKON_INIT_ERROR", "1", 1);
    form.Command_start_cluster_run_Click(1);
    unsetenv("ZELKON_INIT_ERROR");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].starts_with(
        "The Zelkon cluster initialisation stage encountered an error: "))
        << dialogs.messages[0];
    EXPECT_FALSE(form.Timer_cluster_task->enabled());
}

}  // namespace
}  // namespace zelkon
