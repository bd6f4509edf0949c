#include "platform/qt_settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/posix_file_system.h"
#include "temp_folder.h"

namespace zelkon {
namespace {

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
