// The services that stand in for the desktop: dialogs without a window, and the settings.
#include "platform/headless_dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/posix_file_system.h"
#include "platform/qt_settings_store.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

// The whole runs show a message and a Yes default; this is the rest.
TEST(HeadlessDialogs, WriteEachTextOnItsOwnLineAndTakeTheDefaultAnswer) {
    std::ostringstream err;
    HeadlessDialogs dialogs(err);
    int lines_ended = 0;
    dialogs.before_text = [&] { ++lines_ended; };
    EXPECT_FALSE(dialogs.ask_yes_no("That file already, exists, overwrite?", false));
    EXPECT_FALSE(dialogs.choose_file_to_open("Select the parameter file to read", "*").has_value());
    EXPECT_EQ(err.str(),
              "That file already, exists, overwrite? [No]\n"
              "Select the parameter file to read: no file can be chosen without a window\n");
    EXPECT_EQ(lines_ended, 1);
}

TEST(QtSettingsStore, KeepsTheKeysInHalvornIniUnderClusterController) {
    TempFolder home;
    setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    {
        QtSettingsStore store;
        EXPECT_EQ(store.get("JobID", "<no value>"), "<no value>");
        store.set("ServerList", "nodeA/2, big\r\nnodeB");
        store.set("WorkFolder", "\\temp\\inv_temp");
    }
    QtSettingsStore reopened;
    EXPECT_EQ(reopened.get("ServerList", ""), "nodeA/2, big\r\nnodeB");
    EXPECT_EQ(reopened.get("WorkFolder", ""), "\\temp\\inv_temp");
    std::vector<std::string> lines;
    ASSERT_TRUE(PosixFileSystem().read_lines(home.file("Halvorn.ini"), lines));
    EXPECT_EQ(lines.at(0), "[ClusterController]");
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace zelkon
