#include "platform/ssh_control_folder.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/captured_run.h"
#include "platform/error.h"

namespace zelkon {
namespace {

// A master's socket is the folder, "/", a 40-character hash and, while ssh
// makes it, a 17-character suffix: all of it within the 107 characters of a
// Unix socket address. The folder's own name takes 18.
constexpr std::size_t kMaxParentLength = 107 - 1 - 40 - 17 - 18;

// ssh reads "%", "~" and blanks in a ControlPath its own way.
bool is_plain_path(const std::string& path) {
    return !path.empty() && path[0] == '/' && std::all_of(path.begin(), path.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-", c) != nullptr;
    });
}

std::string parent_folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime != nullptr ? runtime : "";
    return is_plain_path(folder) && folder.size() <= kMaxParentLength ? folder : "/tmp";
}

std::vector<std::string> sockets_in(const std::string& folder) {
    std::vector<std::string> sockets;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_socket(error)) {
            sockets.push_back(entry.path().string());
        }
    }
    return sockets;
}

}  // namespace

SshControlFolder::SshControlFolder() {
    std::string pattern = parent_folder() + "/zelkon-ssh-XXXXXX";
    // mkdtemp makes the folder with mode 0700 under a name no one else holds.
    if (mkdtemp(pattern.data()) == nullptr) {
        throw ZelkonError(kErrorPathNotFound, "Cannot make a private folder for ssh in " +
                                                  parent_folder() + ": " + std::strerror(errno));
    }
    path_ = pattern;
}

SshControlFolder::~SshControlFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

int end_ssh_masters(const SshOptions& options) {
    if (options.control_folder.empty()) {
        return 0;
    }
    int ended = 0;
    for (const std::string& socket : sockets_in(options.control_folder)) {
        CapturedRun run = run_captured(options.end_master(socket));
        ended += run.started && run.exit_status == 0 ? 1 : 0;
    }
    return ended;
}

}  // namespace zelkon
