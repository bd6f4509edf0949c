#pragma once

#include <string>
#include <vector>

namespace zelkon {

// The mount points of the real file systems (disks and network shares) in
// the lines of a mount table as /proc/mounts writes it. Pseudo file systems
// and system folders are left out: nobody keeps an inversion there.
std::vector<std::string> real_mount_points(const std::vector<std::string>& mount_lines);

// The root among drives that holds path: the longest one that is the path
// itself or one of its parent folders; "" when none does.
std::string drive_of(const std::string& path, const std::vector<std::string>& drives);

// An absolute, tidy form of a folder path: relative paths are taken from the
// current folder, "." and ".." are resolved by name, repeated and trailing
// separators dropped ("/" stays "/").
std::string normal_folder_path(const std::string& path, const std::string& current);

}  // namespace zelkon
