#include "settings/folder_selection.h"

#include <algorithm>
#include <exception>

#include "model/Module_zelkon_cluster.h"
#include "platform/error.h"
#include "settings/drive_roots.h"

namespace zelkon {
namespace {

// The kernel's table of what is mounted where.
const char* const kMountTable = "/proc/mounts";

void add_drive(std::vector<std::string>& drives, const std::string& folder) {
    if (std::find(drives.begin(), drives.end(), folder) == drives.end()) {
        drives.push_back(folder);
    }
}

}  // namespace

std::vector<std::string> FolderSelection::drive_list() const {
    std::vector<std::string> drives = {"/"};
    std::string home = environment.get("HOME");
    if (!home.empty() && home[0] == '/' && files.folder_exists(home)) {
        add_drive(drives, normal_folder_path(home, "/"));
    }
    std::vector<std::string> mounts;
    if (files.read_lines(kMountTable, mounts)) {
        for (const auto& mount_point : real_mount_points(mounts)) {
            if (files.folder_exists(mount_point)) {
                add_drive(drives, mount_point);
            }
        }
    }
    return drives;
}

void FolderSelection::set_inversion_folder(const std::string& folder) {
    std::string path = normal_folder_path(folder, current_directory.get());
    std::string drive = drive_of(path, drive_list());
    if (!drive.empty() && drive != controls.Drive1) {
        controls.Drive1 = drive;
        Drive1_Change();
    }
    controls.Dir1 = path;
}

void FolderSelection::Drive1_Change() {
    controls.Dir1 = controls.Drive1;
}

void FolderSelection::Command_set_folder_Click() {
    try {
        std::string folder = trim(controls.Text_set_folder.text);
        if (!folder.empty() && files.folder_exists(folder)) {
            set_inversion_folder(folder);
        }
    } catch (const std::exception& error) {
        dialogs.warning("An error occurred while setting the folder: " + error_description(error));
    }
}

void FolderSelection::Dir1_OLEDragDrop(
    const std::optional<std::vector<std::string>>& dropped_paths) {
    try {
        // Only the first item counts: a file there changes nothing, even
        // with folders after it.
        if (dropped_paths && !dropped_paths->empty() &&
            files.folder_exists(dropped_paths->front())) {
            set_inversion_folder(dropped_paths->front());
        }
    } catch (const std::exception& error) {
        dialogs.warning("An error occurred while setting the folder: " + error_description(error));
    }
}

}  // namespace zelkon
