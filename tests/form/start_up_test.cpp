#include <gtest/gtest.h>

#include "form/Form_zelkon_cluster_controller.h"
#include "platform/fake/fake_platform.h"

namespace zelkon {
namespace {

class StartUp : public ::testing::Test {
  protected:
    void store_required_keys() {
        fake.settings.values["ServerList"] = "nodeA/2\r\nnodeB";
        fake.settings.values["WorkDrive"] = "/scratch";
        fake.settings.values["WorkFolder"] = "Work";
    }

    FakePlatform fake;
    Form_zelkon_cluster_controller form{fake.bundle()};
};

TEST_F(StartUp, NothingStoredKeepsTheDesignTimeTextsAndStartsNothing) {
    fake.files.add_folder("/inv/demo");
    EXPECT_EQ(form.Form_Load("/inv/demo"), AutomaticStart::settings_missing);
    EXPECT_EQ(form.controls.caption, "Zelkon Cluster Controller on CONTROL1");
    EXPECT_EQ(form.controls.Text_jobID.text, "000001");
    EXPECT_EQ(form.controls.Text_work_folder.text, "/temp/inv_temp");
    EXPECT_TRUE(form.run.run_terminated);
    EXPECT_EQ(form.run.exit_when_finished, 0);
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST_F(StartUp, RestoresTheStoredKeysAndProposesTheNextJob) {
    store_required_keys();
    fake.settings.values["JobID"] = "41";
    fake.settings.values["MaxTasks"] = "250";
    fake.settings.values["UseRPC"] = "Yes";
    fake.settings.values["NetworkShare"] = "/mnt/ctl";
    fake.files.add_folder("/inv/demo");
    fake.settings.values["LocalPath"] = "/inv/demo/";

    EXPECT_EQ(form.Form_Load(""), AutomaticStart::not_asked);
    EXPECT_EQ(form.controls.Text_server.text, "nodeA/2\r\nnodeB");
    EXPECT_EQ(form.controls.Text_work_drive.text, "/scratch");
    EXPECT_EQ(form.controls.Text_work_folder.text, "Work");
    EXPECT_EQ(form.run.next_job_id, 42);
    EXPECT_EQ(form.controls.Text_jobID.text, "000042");
    EXPECT_EQ(form.job.task_target, 250);
    EXPECT_EQ(form.controls.Text_max_tasks.text, "250");
    EXPECT_EQ(form.controls.Check_use_RPC.value, 1);
    EXPECT_EQ(form.controls.Text_network_share.text, "/mnt/ctl");
    EXPECT_EQ(form.controls.Dir1, "/inv/demo");
}

// The command line's job wins over the stored one (and the proposed next
// one) and over a settings file's.
TEST_F(StartUp, AGivenJobWinsOverTheStoredTheProposedAndTheSettingsFilesJob) {
    store_required_keys();
    fake.settings.values["JobID"] = "41";
    fake.files.add_file("/inv/job.inp", "Nimbal_Controller settings V1.0\n\nJob ID\n000020\n" +
                                            std::string(21, '\n'));
    for (const char* settings_file : {"", "/inv/job.inp"}) {
        Form_zelkon_cluster_controller given{fake.bundle()};
        given.job_id_given = 14;
        given.Form_Load("", settings_file);
        EXPECT_EQ(given.controls.Text_jobID.text, "000014") << settings_file;
    }
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST_F(StartUp, SkipsValuesThatAreNotNumericOrNotExactlyYes) {
    fake.settings.values["JobID"] = "forty";
    fake.settings.values["MaxTasks"] = "12x";
    fake.settings.values["UseRPC"] = "yes";
    fake.settings.values["LocalPath"] = "/gone";
    form.controls.Check_use_RPC.value = 1;
    form.Form_Load("");
    EXPECT_EQ(form.controls.Text_jobID.text, "000001");
    EXPECT_EQ(form.controls.Text_max_tasks.text, "");
    EXPECT_EQ(form.controls.Check_use_RPC.value, 0);
    EXPECT_EQ(form.controls.Dir1, "");
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

// A next job below one becomes one; a target below one becomes a hundred.
TEST_F(StartUp, TooSmallStoredFiguresAreRaised) {
    fake.settings.values["JobID"] = "-7";
    fake.settings.values["MaxTasks"] = "0";
    form.Form_Load("");
    EXPECT_EQ(form.controls.Text_jobID.text, "000001");
    EXPECT_EQ(form.job.task_target, 100);
    EXPECT_EQ(form.controls.Text_max_tasks.text, "100");
}

TEST_F(StartUp, AHugeStoredJobIsReportedAndTheRestKeepsWhatWasRestored) {
    store_required_keys();
    fake.settings.values["JobID"] = "1e12";
    fake.settings.values["MaxTasks"] = "7";
    EXPECT_EQ(form.Form_Load(""), AutomaticStart::failed);
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(fake.dialogs.messages[0], "An error occurred while starting the program: Overflow");
    EXPECT_EQ(form.controls.Text_work_folder.text, "Work");
    EXPECT_EQ(form.controls.Text_max_tasks.text, "");
}

TEST_F(StartUp, AQuotedFolderFollowedByMoreWordsStartsARunThere) {
    store_required_keys();
    fake.files.add_folder("/inv/my demo");
    bool shown = false;
    form.hooks.on_show = [&] { shown = true; };
    EXPECT_EQ(form.Form_Load("\"/inv/my demo\" --more words"), AutomaticStart::started);
    EXPECT_EQ(form.controls.Dir1, "/inv/my demo");
    EXPECT_TRUE(shown);
    EXPECT_EQ(form.run.exit_when_finished, 1);
    // Unquoted, the whole command line is the folder.
    FakePlatform other;
    other.settings.values = fake.settings.values;
    other.files.add_folder("/inv/my demo");
    Form_zelkon_cluster_controller unquoted{other.bundle()};
    EXPECT_EQ(unquoted.Form_Load("/inv/my demo"), AutomaticStart::started);
    EXPECT_EQ(unquoted.controls.Dir1, "/inv/my demo");
}

TEST_F(StartUp, AnUnclosedQuoteIsTheStartUpError) {
    store_required_keys();
    fake.files.add_folder("/inv/demo");
    EXPECT_EQ(form.Form_Load("\"/inv/demo"), AutomaticStart::failed);
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_TRUE(fake.dialogs.messages[0].starts_with(
        "An error occurred while starting the program: Invalid procedure call or argument"));
    EXPECT_EQ(form.run.exit_when_finished, 0);
}

// A missing folder or any required key missing opens the form idle.
TEST_F(StartUp, EveryRequiredKeyAndTheFolderAreNeededForTheAutomaticStart) {
    store_required_keys();
    EXPECT_EQ(form.Form_Load("/inv/missing"), AutomaticStart::folder_missing);
    EXPECT_EQ(form.run.exit_when_finished, 0);
    EXPECT_TRUE(form.run.run_terminated);
    for (const char* missing : {"ServerList", "WorkDrive", "WorkFolder"}) {
        FakePlatform platform;
        platform.files.add_folder("/inv/demo");
        platform.settings.values = {{"ServerList", "a"}, {"WorkDrive", "/d"}, {"WorkFolder", "W"}};
        platform.settings.values.erase(missing);
        Form_zelkon_cluster_controller fresh(platform.bundle());
        EXPECT_EQ(fresh.Form_Load("/inv/demo"), AutomaticStart::settings_missing) << missing;
    }
}

}  // namespace
}  // namespace zelkon
