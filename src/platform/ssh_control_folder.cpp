#include "platform/ssh_control_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr const char* kFolderPrefix = "zelkon-ssh-";

// The lock file appears only once it is locked, so that a controller
// starting meanwhile never takes the folder for abandoned.
int hold_lock(const std::string& folder) {
    std::string draft = folder + "/lock.new";
    int fd = open(draft.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return -1;
    }
    if (flock(fd, LOCK_EX) != 0 || rename(draft.c_str(), (folder + "/lock").c_str()) != 0) {
        close(fd);
        unlink(draft.c_str());
        return -1;
    }
    return fd;
}

// A lock on an abandoned folder's lock file; -1 when the folder is in use,
// has no lock file, or is not this user's own.
int lock_abandoned(const std::filesystem::path& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        return -1;
    }
    int fd = open((folder / "lock").c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
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
    std::string pattern = parent_folder() + "/" + kFolderPrefix + "XXXXXX";
    // mkdtemp makes the folder with mode 0700 under a name no one else holds.
    if (mkdtemp(pattern.data()) == nullptr) {
        throw ZelkonError(kErrorPathNotFound, "Cannot make a private folder for ssh in " +
                                                  parent_folder() + ": " + std::strerror(errno));
    }
    path_ = pattern;
    lock_fd_.reset(hold_lock(path_));
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

int end_abandoned_ssh_masters(const SshOptions& options) {
    if (options.control_folder.empty()) {
        return 0;
    }
    std::filesystem::path own(options.control_folder);
    int ended = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(own.parent_path(), error)) {
        const std::filesystem::path& folder = entry.path();
        if (!folder.filename().string().starts_with(kFolderPrefix) || folder == own) {
            continue;
        }
        int lock = lock_abandoned(folder);
        if (lock < 0) {
            continue;
        }
        for (const std::string& socket : sockets_in(folder.string())) {
            CapturedRun run = run_captured(options.end_master(socket));
            ended += run.started && run.exit_status == 0 ? 1 : 0;
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        close(lock);
    }
    return ended;
}

}  // namespace zelkon
