#include <optional>

#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

const char* const kFilter = "Setup Files (*.inp)|*.inp|All files (*.*)|*.*";

class SettingsMenu : public SettingsFixture {
  protected:
    SettingsMenu() { fake.current_directory.path = "/work/here"; }

    // The dialog was shown once with its title, and the current folder is back.
    void expect_one_dialog(const std::string& title) const {
        ASSERT_EQ(fake.dialogs.dialog_titles.size(), 1u);
        EXPECT_EQ(fake.dialogs.dialog_titles[0], title);
        EXPECT_EQ(fake.dialogs.dialog_filters[0], kFilter);
        ASSERT_FALSE(fake.current_directory.history.empty());
        EXPECT_EQ(fake.current_directory.history.back(), "/work/here");
    }
};

// Only a good file is loaded and claimed so; cancelling says nothing.
TEST_F(SettingsMenu, ReadSetupLoadsTheChosenFile) {
    fake.files.add_file("/cfg/mine.inp", settings_text("77", "10", "Yes", "X/5"));
    fake.files.add_file("/cfg/bad.inp", "hello\r\n");
    struct Case {
        std::optional<std::string> chosen;
        std::vector<std::string> messages;
        const char* servers;
    };
    const Case cases[] = {
        {"/cfg/bad.inp",
         {"The specified file does not have the correct format: line 1 should begin with "
          "\"Nimbal\", as the header line \"Nimbal_Controller settings V1.0\" does"},
         "A/2/4\r\nB"},
        {std::nullopt, {}, "A/2/4\r\nB"},
        {"", {}, "A/2/4\r\nB"},
        {"/cfg/mine.inp", {"The definitions have been loaded"}, "X/5"},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.chosen.value_or("(cancelled)"));
        fake.dialogs = FakeDialogs{};
        fake.dialogs.chosen_files.push_back(one.chosen);
        settings_file.menu_read_setup_Click();
        expect_one_dialog("Select the parameter file to read");
        EXPECT_EQ(fake.dialogs.messages, one.messages);
        EXPECT_EQ(controls.Text_server.text, one.servers);
    }
    EXPECT_EQ(controls.Text_jobID.text, "000077");
}

// ".inp" is added only when the name has no extension of its own.
TEST_F(SettingsMenu, SaveSetupWritesTheChosenFile) {
    fake.files.add_folder("/cfg/a.d");
    const std::pair<const char*, const char*> cases[] = {
        {"/cfg/mine", "/cfg/mine.inp"},
        {"/cfg/mine.txt", "/cfg/mine.txt"},
        {"/cfg/a.d/mine", "/cfg/a.d/mine.inp"},
    };
    for (const auto& [chosen, written] : cases) {
        SCOPED_TRACE(chosen);
        fake.dialogs = FakeDialogs{};
        fake.dialogs.chosen_files.push_back(chosen);
        settings_file.menu_save_setup_Click();
        expect_one_dialog("Select the parameter file to create");
        EXPECT_TRUE(fake.files.content(written).starts_with("Nimbal_Controller settings V1.0"));
        EXPECT_EQ(fake.files.files.count(chosen), chosen == std::string(written) ? 1u : 0u);
        EXPECT_TRUE(fake.dialogs.questions.empty());
        EXPECT_TRUE(fake.dialogs.messages.empty());
    }
}

// An existing file is overwritten only on Yes; a save the check stops, or
// that cannot write, says why.
TEST_F(SettingsMenu, SaveSetupAsksBeforeOverwritingAndSaysWhyItCannotSave) {
    fake.files.add_file("/cfg/mine.inp", "keep me");
    fake.dialogs.chosen_files = {"/cfg/mine.inp", "/cfg/mine.inp", "/missing/folder/mine.inp"};
    fake.dialogs.answers = {false, true};
    settings_file.menu_save_setup_Click();
    EXPECT_EQ(fake.files.content("/cfg/mine.inp"), "keep me");
    settings_file.menu_save_setup_Click();
    EXPECT_TRUE(fake.files.content("/cfg/mine.inp").starts_with("Nimbal_Controller settings"));
    EXPECT_EQ(fake.dialogs.questions,
              std::vector<std::string>(2, "That file already, exists, overwrite?"));
    settings_file.menu_save_setup_Click();
    EXPECT_EQ(only_message(),
              "An error occurred while saving the settings: "
              "Path/File access error: /missing/folder/mine.inp");
    controls.Text_jobID.text = "";
    fake.dialogs.dialog_titles.clear();
    settings_file.menu_save_setup_Click();
    EXPECT_TRUE(fake.dialogs.dialog_titles.empty());  // the check stops it first
    EXPECT_EQ(only_message(), "No job ID has been specified");
}

}  // namespace
}  // namespace zelkon
