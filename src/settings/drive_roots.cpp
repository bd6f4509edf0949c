#include "settings/drive_roots.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

namespace zelkon {
namespace {

bool is_network_type(const std::string& type) {
    static const std::set<std::string> types = {"nfs", "nfs4",     "cifs", "smb3",
                                                "9p",  "virtiofs", "ceph", "glusterfs"};
    return types.count(type) != 0 || type == "fuse.sshfs";
}

bool is_real_file_system(const std::string& source, const std::string& type) {
    bool disk = source.starts_with("/dev/") && type != "squashfs";
    return disk || is_network_type(type);
}

bool is_system_folder(const std::string& mount_point) {
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap"}) {
        std::string folder = system;
        if (mount_point == folder || mount_point.starts_with(folder + "/")) {
            return true;
        }
    }
    return false;
}

// The mount table writes blanks, tabs, newlines and backslashes in a path as
// three octal digits after a backslash.
std::string unescape_mount_path(const std::string& field) {
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        bool octal = field[i] == '\\' && i + 3 < field.size() &&
                     std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                                 [](char c) { return c >= '0' && c <= '7'; });
        if (octal) {
            path.push_back(static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8)));
            i += 3;
        } else {
            path.push_back(field[i]);
        }
    }
    return path;
}

bool holds_path(const std::string& drive, const std::string& path) {
    if (drive == "/") {
        return path.starts_with("/");
    }
    return !drive.empty() && (path == drive || path.starts_with(drive + "/"));
}

}  // namespace

std::vector<std::string> real_mount_points(const std::vector<std::string>& mount_lines) {
    std::vector<std::string> points;
    for (const auto& line : mount_lines) {
        std::istringstream fields(line);
        std::string source, mount_point, type;
        if (!(fields >> source >> mount_point >> type)) {
            continue;
        }
        mount_point = unescape_mount_path(mount_point);
        if (!is_real_file_system(source, type) || is_system_folder(mount_point) ||
            mount_point.empty() || mount_point[0] != '/') {
            continue;
        }
        if (std::find(points.begin(), points.end(), mount_point) == points.end()) {
            points.push_back(mount_point);
        }
    }
    std::sort(points.begin(), points.end());
    return points;
}

std::string drive_of(const std::string& path, const std::vector<std::string>& drives) {
    std::string best;
    for (const auto& drive : drives) {
        if (holds_path(drive, path) && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

std::string normal_folder_path(const std::string& path, const std::string& current) {
    std::filesystem::path full(path);
    if (!full.is_absolute()) {
        full = std::filesystem::path(current.empty() ? "/" : current) / full;
    }
    std::string tidy = full.lexically_normal().string();
    while (tidy.size() > 1 && tidy.back() == '/') {
        tidy.pop_back();
    }
    return tidy;
}

}  // namespace zelkon
