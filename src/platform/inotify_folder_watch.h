#pragma once

#include <memory>

#include "platform/folder_watch.h"

class QSocketNotifier;

namespace zelkon {

// A folder watch on the kernel's inotify, read by the Qt event loop. A folder
// on a network file system is refused: changes that other machines make there
// never reach this computer's kernel.
class InotifyFolderWatch : public FolderWatch {
  public:
    InotifyFolderWatch();
    ~InotifyFolderWatch() override;
    InotifyFolderWatch(const InotifyFolderWatch&) = delete;
    InotifyFolderWatch& operator=(const InotifyFolderWatch&) = delete;

    bool watch(const std::string& folder,
               std::function<void(const std::string& name)> on_removed) override;
    void stop() override;

  private:
    void read_events();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(const std::string& name)> on_removed_;
};

}  // namespace zelkon
