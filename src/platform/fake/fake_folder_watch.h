#pragma once

#include <string>

#include "platform/folder_watch.h"

namespace zelkon {

// A folder watch that a test drives: it reports the removals the test names.
class FakeFolderWatch : public FolderWatch {
  public:
    bool watch(const std::string& watched,
               std::function<void(const std::string& name)> on_removed) override {
        stop();
        if (watchable) {
            folder = watched;
            on_removed_ = std::move(on_removed);
        }
        return watchable;
    }
    void stop() override {
        folder.clear();
        on_removed_ = nullptr;
    }
    // As the kernel would report it, when a folder is watched.
    void report_removed(const std::string& name) {
        if (on_removed_) {
            on_removed_(name);
        }
    }

    bool watchable = true;  // false: a folder this computer cannot watch
    std::string folder;     // the one watched, empty when none

  private:
    std::function<void(const std::string& name)> on_removed_;
};

}  // namespace zelkon
