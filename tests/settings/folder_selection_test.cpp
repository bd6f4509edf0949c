#include "settings/drive_roots.h"
#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

const char* const kMounts =
    "proc /proc proc rw,nosuid 0 0\n"
    "sysfs /sys sysfs rw 0 0\n"
    "tmpfs /run tmpfs rw 0 0\n"
    "/dev/sda2 / ext4 rw 0 0\n"
    "/dev/sda1 /boot/efi vfat rw 0 0\n"
    "/dev/sdb1 /data ext4 rw 0 0\n"
    "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
    "ctl:/export /mnt/ctl nfs4 rw 0 0\n"
    "/dev/sdc1 /media/my\\040disk ext4 rw 0 0\n"
    "overlay /var/lib/x overlay rw 0 0\n";

class FolderSelection : public SettingsFixture {
  protected:
    FolderSelection() {
        fake.files.add_file("/proc/mounts", kMounts);
        fake.environment.variables["HOME"] = "/home/user";
        for (const char* folder : {"/home/user/inv", "/data/inv", "/mnt/ctl", "/media/my disk"}) {
            fake.files.add_folder(folder);
        }
        form.controls.Drive1 = "/";
        form.controls.Dir1 = "/";
    }
};

TEST_F(FolderSelection, TheDriveListHoldsTheRootHomeAndRealMounts) {
    std::vector<std::string> expected = {"/", "/home/user", "/data", "/media/my disk", "/mnt/ctl"};
    EXPECT_EQ(form.drive_list(), expected);
}

TEST_F(FolderSelection, WithoutAMountTableTheRootAndHomeRemain) {
    fake.files.files.erase("/proc/mounts");
    fake.environment.variables["HOME"] = "/home/user/";
    std::vector<std::string> expected = {"/", "/home/user"};
    EXPECT_EQ(form.drive_list(), expected);
}

TEST_F(FolderSelection, ATypedFolderMovesBothLists) {
    form.controls.Text_set_folder.text = "  /data/inv/  ";
    form.Command_set_folder_Click();
    EXPECT_EQ(form.controls.Drive1, "/data");
    EXPECT_EQ(form.controls.Dir1, "/data/inv");
    EXPECT_EQ(form.controls.Text_set_folder.text, "  /data/inv/  ");
    EXPECT_EQ(form.state.local_path, "");
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST_F(FolderSelection, ABlankOrMissingFolderChangesNothing) {
    for (const char* typed : {"", "   ", "/data/nothing", "/proc/mounts"}) {
        form.controls.Text_set_folder.text = typed;
        form.Command_set_folder_Click();
        EXPECT_EQ(form.controls.Drive1, "/") << typed;
        EXPECT_EQ(form.controls.Dir1, "/") << typed;
    }
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST_F(FolderSelection, ARelativeFolderIsTakenFromTheCurrentOne) {
    fake.current_directory.path = "/home/user";
    fake.files.add_folder("inv");
    form.controls.Text_set_folder.text = "inv";
    form.Command_set_folder_Click();
    EXPECT_EQ(form.controls.Drive1, "/home/user");
    EXPECT_EQ(form.controls.Dir1, "/home/user/inv");
}

TEST_F(FolderSelection, ChangingTheDriveShowsItsRoot) {
    form.controls.Drive1 = "/mnt/ctl";
    form.Drive1_Change();
    EXPECT_EQ(form.controls.Dir1, "/mnt/ctl");
}

TEST_F(FolderSelection, ADroppedFolderMovesTheListsToTheFirstOnly) {
    form.Dir1_OLEDragDrop(std::vector<std::string>{"/home/user/inv", "/data/inv"});
    EXPECT_EQ(form.controls.Drive1, "/home/user");
    EXPECT_EQ(form.controls.Dir1, "/home/user/inv");
}

TEST_F(FolderSelection, ADroppedFileFirstChangesNothing) {
    fake.files.add_file("/data/inv/zelkon.inp", "x");
    form.Dir1_OLEDragDrop(std::vector<std::string>{"/data/inv/zelkon.inp", "/data/inv"});
    form.Dir1_OLEDragDrop(std::vector<std::string>{"/data/gone"});
    form.Dir1_OLEDragDrop(std::vector<std::string>{});
    form.Dir1_OLEDragDrop(std::nullopt);
    EXPECT_EQ(form.controls.Drive1, "/");
    EXPECT_EQ(form.controls.Dir1, "/");
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST(DriveRoots, TheLongestHoldingDriveWins) {
    std::vector<std::string> drives = {"/", "/home/user", "/data"};
    EXPECT_EQ(drive_of("/data/inv", drives), "/data");
    EXPECT_EQ(drive_of("/data", drives), "/data");
    EXPECT_EQ(drive_of("/database", drives), "/");
    EXPECT_EQ(drive_of("/home/user/x", drives), "/home/user");
    EXPECT_EQ(drive_of("relative", drives), "");
}

TEST(DriveRoots, FolderPathsAreMadeAbsoluteAndTidy) {
    EXPECT_EQ(normal_folder_path("/a//b/./c/../", "/x"), "/a/b");
    EXPECT_EQ(normal_folder_path("b", "/x"), "/x/b");
    EXPECT_EQ(normal_folder_path("/", "/x"), "/");
    EXPECT_EQ(normal_folder_path("/..", "/x"), "/");
}

TEST(DriveRoots, MountLinesThatAreCutShortAreSkipped) {
    std::vector<std::string> lines = {"", "/dev/sda1", "/dev/sda1 /x", "/dev/sda1 /ok ext4",
                                      "/dev/sdz9 /bad\\04 ext4"};
    std::vector<std::string> expected = {"/bad\\04", "/ok"};
    EXPECT_EQ(real_mount_points(lines), expected);
}

}  // namespace
}  // namespace zelkon
