#include "settings/work_paths.h"

#include <algorithm>
#include <cctype>

namespace zelkon {
namespace {

std::string with_forward_slashes(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string without_trailing_slashes(std::string path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

bool is_drive_letter(const std::string& text) {
    bool letter = !text.empty() && std::isalpha(static_cast<unsigned char>(text[0])) != 0;
    return letter && (text.size() == 1 || (text.size() == 2 && text[1] == ':'));
}

}  // namespace

std::string work_drive_root(const std::string& work_drive) {
    std::string drive = without_trailing_slashes(with_forward_slashes(work_drive));
    if (is_drive_letter(drive)) {
        return std::string("/mnt/") + static_cast<char>(std::tolower(drive[0]));
    }
    if (drive.empty() || drive[0] == '/') {
        return drive;
    }
    return "/" + drive;
}

std::string work_folder_name(const std::string& work_folder) {
    std::string folder = with_forward_slashes(work_folder);
    if (!folder.empty() && folder.front() == '/') {
        folder.erase(0, 1);
    }
    if (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

std::string network_root(const Environment& environment) {
    std::string root = environment.get("ZELKON_NET_ROOT");
    if (root.empty()) {
        return "/net";
    }
    return without_trailing_slashes(root);
}

}  // namespace zelkon
