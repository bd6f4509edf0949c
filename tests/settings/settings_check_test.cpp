#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

using SettingsCheck = SettingsFixture;

TEST_F(SettingsCheck, ValidSettingsPassAndFillTheRunState) {
    form.controls.Text_jobID.text = " 12 ";
    EXPECT_EQ(check(), 0);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_EQ(form.state.max_tasks, 10);
    EXPECT_EQ(form.state.task_target, 10);
    EXPECT_EQ(form.state.work_drive, "/data");
    EXPECT_EQ(form.state.work_folder, "Work");
    EXPECT_EQ(form.state.job_id, "12");
    EXPECT_EQ(form.state.job_folder, "Work/Job_12");
    EXPECT_TRUE(form.state.use_rpc);
    EXPECT_EQ(form.state.local_computer_name, "HOST");
    EXPECT_EQ(form.state.local_work_path, "/data/Work/Job_12/");
    EXPECT_EQ(form.state.network_work_path, "/net/HOST/data/Work/Job_12/");
}

TEST_F(SettingsCheck, MaximumTasksMustBeAPositiveNumber) {
    for (const char* text : {"", "x", "0", "-5", "1 2"}) {
        fake.dialogs.messages.clear();
        form.controls.Text_max_tasks.text = text;
        EXPECT_EQ(check(), -1) << text;
        EXPECT_EQ(only_message(), "The maximum number of tasks is not valid") << text;
    }
}

TEST_F(SettingsCheck, AFractionalMaximumBelowOneBecomesOneHundred) {
    form.controls.Text_max_tasks.text = "0.3";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.state.max_tasks, 100);
    EXPECT_EQ(form.state.task_target, 100);
}

TEST_F(SettingsCheck, AHugeMaximumIsReportedNotCrashed) {
    form.controls.Text_max_tasks.text = "1e20";
    EXPECT_EQ(check(), -1);
    EXPECT_EQ(only_message(), "An error occured while checking the settings: Overflow");
}

TEST_F(SettingsCheck, RefusalsComeInTheirOrder) {
    struct Step {
        TextControl* control;
        const char* bad;
        const char* good;
        const char* message;
    };
    FormControls& c = form.controls;
    const Step steps[] = {
        {&c.Text_max_tasks, "0", "4", "The maximum number of tasks is not valid"},
        {&c.Text_work_drive, " ", "D", "No work drive has been specified"},
        {&c.Text_work_folder, "\\", "Work", "No work folder name has been specified"},
        {&c.Text_jobID, "", "7", "No job ID has been specified"},
        {&c.Text_server, "", "A", "No server names have been specified"},
    };
    for (const Step& step : steps) {
        step.control->text = step.bad;
    }
    for (const Step& step : steps) {
        fake.dialogs.messages.clear();
        EXPECT_EQ(check(), -1);
        EXPECT_EQ(only_message(), step.message);
        step.control->text = step.good;
    }
    EXPECT_EQ(check(), 0);
}

TEST_F(SettingsCheck, AWorkFolderLosesOneOuterSeparatorOnEachSide) {
    for (const char* typed : {"\\Work\\", "/Work/", " Work "}) {
        form.controls.Text_work_folder.text = typed;
        EXPECT_EQ(check(), 0) << typed;
        EXPECT_EQ(form.state.job_folder, "Work/Job_12") << typed;
        EXPECT_EQ(form.state.local_work_path, "/data/Work/Job_12/") << typed;
    }
    EXPECT_EQ(form.state.work_folder, "Work");  // kept as typed, less blanks
}

TEST_F(SettingsCheck, AWindowsWorkFolderBecomesALinuxPath) {
    form.controls.Text_work_folder.text = "\\temp\\inv_temp";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.state.work_folder, "\\temp\\inv_temp");
    EXPECT_EQ(form.state.local_work_path, "/data/temp/inv_temp/Job_12/");
}

TEST_F(SettingsCheck, ALoneSeparatorAsWorkFolderIsRefused) {
    for (const char* typed : {"\\", "/", "  "}) {
        fake.dialogs.messages.clear();
        form.controls.Text_work_folder.text = typed;
        EXPECT_EQ(check(), -1) << typed;
        EXPECT_EQ(only_message(), "No work folder name has been specified");
    }
}

TEST_F(SettingsCheck, JobIdsOutsideTheRangeAreRefused) {
    for (const char* typed : {"0", "1000000", "abc", "0.5", "-3"}) {
        fake.dialogs.messages.clear();
        form.controls.Text_jobID.text = typed;
        EXPECT_EQ(check(), -1) << typed;
        EXPECT_EQ(only_message(), "The job ID is not valid") << typed;
    }
}

TEST_F(SettingsCheck, JobIdsAtTheEndsOfTheRangePassUnchanged) {
    for (const char* typed : {"1", "999999", "000012"}) {
        form.controls.Text_jobID.text = typed;
        EXPECT_EQ(check(), 0) << typed;
        EXPECT_EQ(form.state.job_id, typed);
        EXPECT_EQ(form.state.job_folder, std::string("Work/Job_") + typed);
    }
}

TEST_F(SettingsCheck, ADriveLetterIsItsMountPoint) {
    form.controls.Text_work_drive.text = "D";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.state.work_drive, "D");
    EXPECT_EQ(form.state.local_work_path, "/mnt/d/Work/Job_12/");
    EXPECT_EQ(form.state.network_work_path, "/net/HOST/mnt/d/Work/Job_12/");
}

TEST_F(SettingsCheck, AShareIsHowOtherMachinesReachTheJob) {
    form.controls.Text_network_share.text = " /mnt/ctl ";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.state.network_share, "/mnt/ctl");
    EXPECT_EQ(form.state.network_work_path, "/mnt/ctl/Job_12/");
    EXPECT_EQ(form.state.local_work_path, "/data/Work/Job_12/");
}

TEST_F(SettingsCheck, TheNetRootComesFromTheEnvironment) {
    fake.environment.variables["ZELKON_NET_ROOT"] = "/tmp/links";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.state.network_work_path, "/tmp/links/HOST/data/Work/Job_12/");
}

TEST_F(SettingsCheck, UseRpcFollowsTheBox) {
    form.controls.Check_use_RPC.value = 0;
    EXPECT_EQ(check(), 0);
    EXPECT_FALSE(form.state.use_rpc);
}

TEST_F(SettingsCheck, ARepeatedNameBuildsTheTablesAndRewritesTheList) {
    form.controls.Text_server.text = "A/2/4\r\nB\r\na/3";
    EXPECT_EQ(check(), 0);
    const RunState& s = form.state;
    EXPECT_EQ(s.num_servers, 2);
    EXPECT_EQ(s.num_task_servers, 4);
    EXPECT_EQ(s.server_name[1], "A");
    EXPECT_EQ(s.server_count[1], 3);
    EXPECT_EQ(s.server_threads[1], 4);
    EXPECT_EQ(s.server_name[2], "B");
    EXPECT_EQ(s.server_count[2], 1);
    EXPECT_EQ(s.server_threads[2], 0);
    ASSERT_GE(s.server_first_task_server.size(), 4u);
    EXPECT_EQ(s.server_first_task_server[1], 1);
    EXPECT_EQ(s.server_first_task_server[2], 4);
    EXPECT_EQ(s.server_first_task_server[3], 5);
    ASSERT_EQ(s.task_servers.size(), 5u);
    const int machines[] = {0, 1, 1, 1, 2};
    const int instances[] = {0, 0, 1, 2, 0};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(s.task_servers[k].machine, machines[k]) << k;
        EXPECT_EQ(s.task_servers[k].instance, instances[k]) << k;
        EXPECT_EQ(s.task_servers[k].name, s.server_name[machines[k]]) << k;
        EXPECT_EQ(s.task_servers[k].threads, s.server_threads[machines[k]]) << k;
        EXPECT_FALSE(s.task_servers[k].busy);
    }
    EXPECT_EQ(form.controls.Text_server.text, "A/3/4\r\nB/1/0");
}

TEST_F(SettingsCheck, AMachineWithCountZeroKeepsItsPlaceButNoTaskServer) {
    form.controls.Text_server.text = "A/0\r\nB/2";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.state.num_servers, 2);
    EXPECT_EQ(form.state.num_task_servers, 2);
    EXPECT_EQ(form.state.server_first_task_server[1], 1);
    EXPECT_EQ(form.state.server_first_task_server[2], 1);
    EXPECT_EQ(form.state.server_first_task_server[3], 3);
    EXPECT_EQ(form.state.task_servers[1].machine, 2);
}

TEST_F(SettingsCheck, WithoutARepeatTheListIsLeftAsTyped) {
    form.controls.Text_server.text = "A/2/4\r\nB\r\n\r\n";
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(form.controls.Text_server.text, "A/2/4\r\nB\r\n\r\n");
}

TEST_F(SettingsCheck, EachCheckRebuildsTheTablesFromScratch) {
    form.controls.Text_server.text = "A/3\r\nB/2";
    ASSERT_EQ(check(), 0);
    form.state.task_servers[1].busy = true;
    form.state.server_is_local[1] = true;
    form.controls.Text_server.text = "C";
    ASSERT_EQ(check(), 0);
    EXPECT_EQ(form.state.num_servers, 1);
    EXPECT_EQ(form.state.num_task_servers, 1);
    ASSERT_EQ(form.state.task_servers.size(), 2u);
    EXPECT_EQ(form.state.task_servers[1].name, "C");
    EXPECT_FALSE(form.state.task_servers[1].busy);
    EXPECT_FALSE(form.state.server_is_local[1]);
    EXPECT_EQ(form.state.server_first_task_server[2], 2);
}

TEST_F(SettingsCheck, ServerListRefusalsHaveTheirMessages) {
    const std::pair<const char*, const char*> cases[] = {
        {"\r\n\r\n", "No server names have been specified"},
        {"/2\r\nA", "No server names have been decoded from the list"},
        {"A/0\r\nB/0", "No Task Servers have been decoded from the list"},
        {"A/1e20", "An error occured while checking the settings: Overflow"},
    };
    for (const auto& [list, message] : cases) {
        fake.dialogs.messages.clear();
        form.controls.Text_server.text = list;
        EXPECT_EQ(check(), -1) << list;
        EXPECT_EQ(only_message(), message) << list;
    }
}

TEST_F(SettingsCheck, EarlierValuesStayWhenALaterCheckFails) {
    form.controls.Text_max_tasks.text = "33";
    form.controls.Text_jobID.text = "1000000";
    EXPECT_EQ(check(), -1);
    EXPECT_EQ(form.state.max_tasks, 33);
    EXPECT_EQ(form.state.work_drive, "/data");
}

}  // namespace
}  // namespace zelkon
