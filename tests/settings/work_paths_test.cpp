#include "settings/work_paths.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_environment.h"

namespace zelkon {
namespace {

// The forms the settings check's own tests do not reach.
TEST(WorkPaths, DrivesFoldersAndRootsInTheirOtherForms) {
    EXPECT_EQ(work_drive_root("/scratch/"), "/scratch");
    EXPECT_EQ(work_drive_root("D:"), "/mnt/d");
    EXPECT_EQ(work_drive_root("e:\\"), "/mnt/e");
    EXPECT_EQ(work_drive_root("data"), "/data");
    EXPECT_EQ(work_drive_root("/"), "");  // no "//" before the folder
    EXPECT_EQ(work_folder_name("//"), "");
    FakeEnvironment environment;
    environment.variables["ZELKON_NET_ROOT"] = "/tmp/links/";
    EXPECT_EQ(network_root(environment), "/tmp/links");
}

}  // namespace
}  // namespace zelkon
