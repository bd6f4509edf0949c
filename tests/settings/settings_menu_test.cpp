#include <optional>
#include <tuple>

#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

// Only a good file is loaded; cancelling says nothing; Save adds ".inp" to a bare name.
TEST_F(SettingsFixture, TheFileMenuReadsAndSavesTheChosenFile) {
    fake.current_directory.path = "/work/here";
    fake.files.add_file("/cfg/mine.inp", settings_text("77", "10", "Yes", "X/5"));
    fake.files.add_file("/cfg/bad.inp", "hello\r\n");
    fake.files.add_folder("/cfg/a.d");
    const std::tuple<bool, std::optional<std::string>, std::string, const char*> cases[] = {
        {true, "/cfg/bad.inp",
         "The specified file does not have the correct format: line 1 should begin with "
         "\"Nimbal\", as the header line \"Nimbal_Controller settings V1.0\" does",
         "A/2/4\r\nB"},
        {true, std::nullopt, "", "A/2/4\r\nB"},
        {true, "/cfg/mine.inp", "The definitions have been loaded", "X/5"},
        {false, "/cfg/new", "", "/cfg/new.inp"},
        {false, "/cfg/new.txt", "", "/cfg/new.txt"},
        {false, "/cfg/a.d/new", "", "/cfg/a.d/new.inp"},
        {false, "/missing/folder/new.inp",
         "An error occurred while saving the settings: Path/File access error: "
         "/missing/folder/new.inp",
         ""},
    };
    for (const auto& [read, chosen, message, result] : cases) {
        SCOPED_TRACE(chosen.value_or("(cancelled)"));
        fake.dialogs = FakeDialogs{};
        fake.dialogs.chosen_files.push_back(chosen);
        if (read) {
            settings_file.menu_read_setup_Click();
            EXPECT_EQ(controls.Text_server.text, result);
        } else {
            settings_file.menu_save_setup_Click();
            EXPECT_TRUE(*result == '\0' || fake.files.content(result).starts_with("Nimbal_Co"));
            EXPECT_EQ(fake.files.file_exists(*chosen), *chosen == result);
        }
        // Each dialog is shown once with its title and filter; the current folder is restored.
        EXPECT_EQ(fake.dialogs.dialog_titles,
                  std::vector<std::string>{read ? "Select the parameter file to read"
                                                : "Select the parameter file to create"});
        EXPECT_EQ(fake.dialogs.dialog_filters.at(0),
                  "Setup Files (*.inp)|*.inp|All files (*.*)|*.*");
        EXPECT_EQ(
            fake.current_directory.history.empty() ? "" : fake.current_directory.history.back(),
            "/work/here");
        EXPECT_EQ(fake.dialogs.messages,
                  message.empty() ? std::vector<std::string>{} : std::vector<std::string>{message});
    }
    EXPECT_EQ(controls.Text_jobID.text, "000077");
}

// Overwrite only on Yes; a save the check stops asks for no file and says why.
TEST_F(SettingsFixture, SaveSetupAsksBeforeOverwritingAndChecksFirst) {
    fake.files.add_file("/cfg/mine.inp", "keep me");
    fake.dialogs.chosen_files = {"/cfg/mine.inp", "/cfg/mine.inp"};
    fake.dialogs.answers = {false, true};
    settings_file.menu_save_setup_Click();
    EXPECT_EQ(fake.files.content("/cfg/mine.inp"), "keep me");
    settings_file.menu_save_setup_Click();
    EXPECT_TRUE(fake.files.content("/cfg/mine.inp").starts_with("Nimbal_Controller settings"));
    EXPECT_EQ(fake.dialogs.questions,
              std::vector<std::string>(2, "That file already, exists, overwrite?"));
    controls.Text_jobID.text = "";
    fake.dialogs.dialog_titles.clear();
    settings_file.menu_save_setup_Click();
    EXPECT_TRUE(fake.dialogs.dialog_titles.empty());
    EXPECT_EQ(only_message(), "No job ID has been specified");
}

}  // namespace
}  // namespace zelkon
