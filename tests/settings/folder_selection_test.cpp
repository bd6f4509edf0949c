#include <optional>

#include "settings/drive_roots.h"
#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

// The drives are /, home and real mounts; only an existing folder moves Drive1 and Dir1
// (typed with blanks or relative; of a drop only the first item counts).
TEST_F(SettingsFixture, AnExistingFolderMovesTheDriveAndFolderLists) {
    fake.files.add_file(
        "/proc/mounts",
        "proc /proc proc rw,nosuid 0 0\n/dev/sda2 / ext4 rw 0 0\n"
        "/dev/sda1 /boot/efi vfat rw 0 0\n/dev/sdb1 /data ext4 rw 0 0\n"
        "/dev/loop3 /snap/core/1 squashfs ro 0 0\nctl:/export /mnt/ctl nfs4 rw 0 0\n"
        "/dev/sdc1 /media/my\\040disk ext4 rw 0 0\noverlay /var/lib/x overlay rw 0 0\n");
    fake.files.add_file("/data/inv/zelkon.inp", "x");
    fake.environment.variables["HOME"] = "/home/user";
    fake.current_directory.path = "/home/user";
    for (const char* folder :
         {"/home/user/inv", "/data/inv", "/mnt/ctl", "/media/my disk", "inv"}) {
        fake.files.add_folder(folder);
    }
    EXPECT_EQ(folder_selection.drive_list(),
              (std::vector<std::string>{"/", "/home/user", "/data", "/media/my disk", "/mnt/ctl"}));
    using Paths = std::optional<std::vector<std::string>>;
    const std::tuple<const char*, Paths, const char*> cases[] = {
        {"  /data/inv/  ", std::nullopt, "/data /data/inv"},
        {"inv", std::nullopt, "/home/user /home/user/inv"},
        {"/data/nothing", std::nullopt, "/ /"},
        {"/data/inv/zelkon.inp", std::nullopt, "/ /"},
        {nullptr, std::vector<std::string>{"/home/user/inv", "/data/inv"},
         "/home/user /home/user/inv"},
        {nullptr, std::vector<std::string>{"/data/inv/zelkon.inp", "/data/inv"}, "/ /"},
        {nullptr, std::nullopt, "/ /"},
    };
    for (const auto& [typed, dropped, lists] : cases) {
        controls.Drive1 = "/";
        controls.Dir1 = "/";
        if (typed) {
            controls.Text_set_folder.text = typed;
            folder_selection.Command_set_folder_Click();
            EXPECT_EQ(controls.Text_set_folder.text, typed);
        } else {
            folder_selection.Dir1_OLEDragDrop(dropped);
        }
        EXPECT_EQ(controls.Drive1 + " " + controls.Dir1, lists) << (typed ? typed : "a drop");
    }
    EXPECT_EQ(job.local_path, "");
    EXPECT_TRUE(fake.dialogs.messages.empty());
    fake.files.files.erase("/proc/mounts");
    fake.environment.variables["HOME"] = "/home/user/";
    EXPECT_EQ(folder_selection.drive_list(), (std::vector<std::string>{"/", "/home/user"}));
}

TEST(DriveRoots, FoldersFindTheirDrives) {
    std::vector<std::string> drives = {"/", "/home/user", "/data"};
    EXPECT_EQ(drive_of("/data", drives) + drive_of("/database", drives) + drive_of("x", drives),
              "/data/");
    EXPECT_EQ(normal_folder_path("/a//b/./c/../", "/x"), "/a/b");
    EXPECT_EQ(normal_folder_path("/..", "/x"), "/");
}

}  // namespace
}  // namespace zelkon
