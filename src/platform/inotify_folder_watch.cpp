#include "platform/inotify_folder_watch.h"

#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <vector>

namespace zelkon {
namespace {

// File systems whose files other machines change behind the kernel's back.
bool is_network_folder(const std::string& folder) {
    struct statfs info {};
    if (statfs(folder.c_str(), &info) != 0) {
        return true;  // unknown: polling is the safe choice
    }
    constexpr unsigned long kNetworkTypes[] = {
        0x6969,      // NFS
        0x517B,      // SMB
        0xFF534D42,  // CIFS
        0xFE534D42,  // SMB2
        0x65735546,  // FUSE (sshfs and the like)
        0x01021997,  // 9P
        0x00C36400,  // Ceph
        0x5346414F,  // AFS
        0x73757245,  // Coda
        0x013111A8,  // IBRIX
        0x47504653,  // GPFS
        0x0BD00BD0,  // Lustre
    };
    auto type = static_cast<unsigned long>(info.f_type);
    for (unsigned long network : kNetworkTypes) {
        if (type == network) {
            return true;
        }
    }
    return false;
}

}  // namespace

InotifyFolderWatch::InotifyFolderWatch() = default;

InotifyFolderWatch::~InotifyFolderWatch() {
    stop();
}

bool InotifyFolderWatch::watch(const std::string& folder,
                               std::function<void(const std::string& name)> on_removed) {
    stop();
    if (folder.empty() || is_network_folder(folder)) {
        return false;
    }
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    if (inotify_add_watch(fd_, folder.c_str(), IN_DELETE) < 0) {
        stop();
        return false;
    }
    on_removed_ = std::move(on_removed);
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read_events(); });
    return true;
}

void InotifyFolderWatch::stop() {
    notifier_.reset();
    on_removed_ = nullptr;
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void InotifyFolderWatch::read_events() {
    // Names first, calls after: a handler may stop the watch.
    std::vector<std::string> removed;
    alignas(inotify_event) char buffer[4096];
    ssize_t got;
    while ((got = read(fd_, buffer, sizeof buffer)) > 0) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0 && (event->mask & IN_DELETE) != 0) {
                removed.emplace_back(event->name);
            }
            at += sizeof(inotify_event) + event->len;
        }
    }
    for (const std::string& name : removed) {
        if (on_removed_) {
            on_removed_(name);
        }
    }
}

}  // namespace zelkon
