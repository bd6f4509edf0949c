#include <optional>

#include "settings/drive_roots.h"
#include "settings/settings_fixture.h"

namespace zelkon {
namespace {

const char* const kMounts =
    "proc /proc proc rw,nosuid 0 0\n"
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
        fake.files.add_file("/data/inv/zelkon.inp", "x");
        fake.environment.variables["HOME"] = "/home/user";
        fake.current_directory.path = "/home/user";
        for (const char* folder : {"/home/user/inv", "/data/inv", "/mnt/ctl", "/media/my disk"}) {
            fake.files.add_folder(folder);
        }
        fake.files.add_folder("inv");  // as the current folder finds it
    }

    // Drive1 and Dir1 after a handler run from the root.
    template <typename Handler>
    std::string lists_after(Handler handler) {
        form.controls.Drive1 = "/";
        form.controls.Dir1 = "/";
        handler();
        return form.controls.Drive1 + " " + form.controls.Dir1;
    }
};

TEST_F(FolderSelection, TheDriveListHoldsTheRootHomeAndRealMounts) {
    std::vector<std::string> expected = {"/", "/home/user", "/data", "/media/my disk", "/mnt/ctl"};
    EXPECT_EQ(form.drive_list(), expected);
    fake.files.files.erase("/proc/mounts");
    fake.environment.variables["HOME"] = "/home/user/";
    EXPECT_EQ(form.drive_list(), (std::vector<std::string>{"/", "/home/user"}));
}

// Only an existing folder moves the lists; it is typed with blanks or relative.
TEST_F(FolderSelection, ATypedFolderMovesBothLists) {
    const std::pair<const char*, const char*> cases[] = {
        {"  /data/inv/  ", "/data /data/inv"},
        {"inv", "/home/user /home/user/inv"},
        {"", "/ /"},
        {"   ", "/ /"},
        {"/data/nothing", "/ /"},
        {"/data/inv/zelkon.inp", "/ /"},
    };
    for (const auto& [typed, lists] : cases) {
        form.controls.Text_set_folder.text = typed;
        EXPECT_EQ(lists_after([this] { form.Command_set_folder_Click(); }), lists) << typed;
        EXPECT_EQ(form.controls.Text_set_folder.text, typed);
    }
    EXPECT_EQ(form.job.local_path, "");
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

// Only the first item dropped counts, and only when it is a folder.
TEST_F(FolderSelection, ADroppedFolderMovesTheListsToTheFirstOnly) {
    using Paths = std::optional<std::vector<std::string>>;
    const std::pair<Paths, const char*> cases[] = {
        {std::vector<std::string>{"/home/user/inv", "/data/inv"}, "/home/user /home/user/inv"},
        {std::vector<std::string>{"/data/inv/zelkon.inp", "/data/inv"}, "/ /"},
        {std::vector<std::string>{"/data/gone"}, "/ /"},
        {std::vector<std::string>{}, "/ /"},
        {std::nullopt, "/ /"},
    };
    for (const auto& [paths, lists] : cases) {
        EXPECT_EQ(lists_after([&] { form.Dir1_OLEDragDrop(paths); }), lists);
    }
    EXPECT_TRUE(fake.dialogs.messages.empty());
}

TEST(DriveRoots, FoldersFindTheirDrives) {
    std::vector<std::string> drives = {"/", "/home/user", "/data"};
    EXPECT_EQ(drive_of("/data/inv", drives), "/data");
    EXPECT_EQ(drive_of("/data", drives), "/data");
    EXPECT_EQ(drive_of("/database", drives), "/");
    EXPECT_EQ(drive_of("/home/user/x", drives), "/home/user");
    EXPECT_EQ(drive_of("relative", drives), "");
    EXPECT_EQ(normal_folder_path("/a//b/./c/../", "/x"), "/a/b");
    EXPECT_EQ(normal_folder_path("/..", "/x"), "/");
    std::vector<std::string> lines = {"", "/dev/sda1", "/dev/sda1 /x", "/dev/sda1 /ok ext4",
                                      "/dev/sdz9 /bad\\04 ext4"};
    EXPECT_EQ(real_mount_points(lines), (std::vector<std::string>{"/bad\\04", "/ok"}));
}

}  // namespace
}  // namespace zelkon
