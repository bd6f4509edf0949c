#include "settings/settings_fixture.h"
#include "settings/settings_paths.h"

namespace zelkon {
namespace {

const char* const kFilter = "Setup Files (*.inp)|*.inp|All files (*.*)|*.*";

class SettingsMenu : public SettingsFixture {
  protected:
    SettingsMenu() {
        fake.files.add_folder("/cfg");
        fake.current_directory.path = "/work/here";
    }

    // A settings file written by Save setup from other values.
    void write_other_settings(const std::string& path) {
        FakePlatform other_fake;
        other_fake.files.add_folder("/cfg");
        Form_zelkon_cluster_controller other{other_fake.bundle()};
        other.controls = form.controls;
        other.controls.Text_jobID.text = "77";
        other.controls.Text_server.text = "X/5";
        std::int32_t ierr = 99;
        other.check_cluster_settings(ierr);
        ASSERT_EQ(ierr, 0);
        other.save_cluster_settings("/cfg/other.inp");
        fake.files.add_file(path, other_fake.files.content("/cfg/other.inp"));
    }

    void expect_directory_restored() const {
        ASSERT_FALSE(fake.current_directory.history.empty());
        EXPECT_EQ(fake.current_directory.history.back(), "/work/here");
    }
};

TEST_F(SettingsMenu, ReadSetupLoadsTheChosenFile) {
    write_other_settings("/cfg/mine.inp");
    fake.dialogs.chosen_files.push_back("/cfg/mine.inp");
    form.menu_read_setup_Click();
    ASSERT_EQ(fake.dialogs.dialog_titles.size(), 1u);
    EXPECT_EQ(fake.dialogs.dialog_titles[0], "Select the parameter file to read");
    EXPECT_EQ(fake.dialogs.dialog_filters[0], kFilter);
    EXPECT_EQ(form.controls.Text_jobID.text, "000077");
    EXPECT_EQ(form.controls.Text_server.text, "X/5");
    EXPECT_EQ(only_message(), "The definitions have been loaded");
    expect_directory_restored();
}

TEST_F(SettingsMenu, AFailedReadDoesNotClaimSuccess) {
    fake.files.add_file("/cfg/bad.inp", "hello\r\n");
    fake.dialogs.chosen_files.push_back("/cfg/bad.inp");
    form.menu_read_setup_Click();
    EXPECT_EQ(only_message(), "The specified file does not have the correct format");
    expect_directory_restored();
}

TEST_F(SettingsMenu, CancellingReadChangesNothing) {
    std::string servers = form.controls.Text_server.text;
    form.menu_read_setup_Click();
    EXPECT_TRUE(fake.dialogs.messages.empty());
    EXPECT_EQ(form.controls.Text_server.text, servers);
    expect_directory_restored();
}

TEST_F(SettingsMenu, SaveSetupWritesTheChosenFileWithItsExtension) {
    fake.dialogs.chosen_files.push_back("/cfg/mine");
    form.menu_save_setup_Click();
    ASSERT_EQ(fake.dialogs.dialog_titles.size(), 1u);
    EXPECT_EQ(fake.dialogs.dialog_titles[0], "Select the parameter file to create");
    EXPECT_EQ(fake.dialogs.dialog_filters[0], kFilter);
    EXPECT_TRUE(fake.files.content("/cfg/mine.inp").starts_with("Nimbal_Controller settings"));
    EXPECT_FALSE(fake.files.file_exists("/cfg/mine"));
    EXPECT_TRUE(fake.dialogs.questions.empty());
    expect_directory_restored();
}

TEST_F(SettingsMenu, AnotherExtensionIsKept) {
    fake.dialogs.chosen_files.push_back("/cfg/mine.txt");
    form.menu_save_setup_Click();
    EXPECT_TRUE(fake.files.file_exists("/cfg/mine.txt"));
    EXPECT_FALSE(fake.files.file_exists("/cfg/mine.txt.inp"));
}

TEST_F(SettingsMenu, AnExistingFileIsOverwrittenOnlyOnYes) {
    fake.files.add_file("/cfg/mine.inp", "keep me");
    fake.dialogs.chosen_files.push_back("/cfg/mine.inp");
    fake.dialogs.answers.push_back(false);
    form.menu_save_setup_Click();
    ASSERT_EQ(fake.dialogs.questions.size(), 1u);
    EXPECT_EQ(fake.dialogs.questions[0], "That file already, exists, overwrite?");
    EXPECT_EQ(fake.files.content("/cfg/mine.inp"), "keep me");

    fake.dialogs.chosen_files.push_back("/cfg/mine.inp");
    fake.dialogs.answers.push_back(true);
    form.menu_save_setup_Click();
    EXPECT_TRUE(fake.files.content("/cfg/mine.inp").starts_with("Nimbal_Controller settings"));
}

TEST_F(SettingsMenu, AFailedCheckStopsSaveBeforeTheDialog) {
    form.controls.Text_jobID.text = "";
    form.menu_save_setup_Click();
    EXPECT_TRUE(fake.dialogs.dialog_titles.empty());
    EXPECT_EQ(only_message(), "No job ID has been specified");
}

TEST_F(SettingsMenu, CancellingSaveWritesNothing) {
    std::size_t changes = fake.files.changes.size();
    form.menu_save_setup_Click();
    EXPECT_EQ(fake.files.changes.size(), changes);
    EXPECT_TRUE(fake.dialogs.messages.empty());
    expect_directory_restored();
}

TEST_F(SettingsMenu, AFailedWriteIsReportedAndTheProgramGoesOn) {
    fake.dialogs.chosen_files.push_back("/missing/folder/mine.inp");
    form.menu_save_setup_Click();
    EXPECT_TRUE(only_message().starts_with("An error occurred while saving the settings: "));
    expect_directory_restored();
}

TEST(SettingsPaths, ADotInAFolderIsNoExtension) {
    EXPECT_EQ(with_default_extension("/a.d/b", "inp"), "/a.d/b.inp");
    EXPECT_EQ(with_default_extension("/a/b.txt", "inp"), "/a/b.txt");
}

}  // namespace
}  // namespace zelkon
