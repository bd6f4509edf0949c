#include "settings/work_paths.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_environment.h"

namespace zelkon {
namespace {

TEST(WorkDriveRoot, AnAbsolutePathIsUsedAsItIs) {
    EXPECT_EQ(work_drive_root("/data"), "/data");
    EXPECT_EQ(work_drive_root("/scratch/"), "/scratch");
}

TEST(WorkDriveRoot, ADriveLetterIsItsMountPoint) {
    EXPECT_EQ(work_drive_root("D"), "/mnt/d");
    EXPECT_EQ(work_drive_root("D:"), "/mnt/d");
    EXPECT_EQ(work_drive_root("e:\\"), "/mnt/e");
}

TEST(WorkDriveRoot, OtherTextIsTakenFromTheRoot) {
    EXPECT_EQ(work_drive_root("data"), "/data");
    EXPECT_EQ(work_drive_root("DD"), "/DD");
}

TEST(WorkDriveRoot, TheRootItselfGivesNoDoubleSeparator) {
    EXPECT_EQ(work_drive_root("/"), "");
}

TEST(WorkFolderName, OneOuterSeparatorOnEachSideIsDropped) {
    EXPECT_EQ(work_folder_name("\\Work\\"), "Work");
    EXPECT_EQ(work_folder_name("/Work/"), "Work");
    EXPECT_EQ(work_folder_name("Work"), "Work");
    EXPECT_EQ(work_folder_name("\\temp\\inv_temp"), "temp/inv_temp");
}

TEST(WorkFolderName, ALoneSeparatorIsEmpty) {
    EXPECT_EQ(work_folder_name("\\"), "");
    EXPECT_EQ(work_folder_name("/"), "");
}

TEST(NetworkRoot, DefaultsToNetAndFollowsTheVariable) {
    FakeEnvironment environment;
    EXPECT_EQ(network_root(environment), "/net");
    environment.variables["ZELKON_NET_ROOT"] = "/tmp/links/";
    EXPECT_EQ(network_root(environment), "/tmp/links");
}

}  // namespace
}  // namespace zelkon
