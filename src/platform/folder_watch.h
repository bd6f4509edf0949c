#pragma once

#include <functional>
#include <string>

namespace zelkon {

// Tells the event loop at once when a file of one folder is removed, so that
// whoever polls the folder can look again without waiting for its next poll.
class FolderWatch {
  public:
    virtual ~FolderWatch() = default;
    // Watches this folder instead of any earlier one; on_removed gets the
    // removed file's name. False when this computer cannot see the folder's
    // changes (a folder that other machines write through a network mount,
    // or no watch to be had): the caller then keeps to polling.
    virtual bool watch(const std::string& folder,
                       std::function<void(const std::string& name)> on_removed) = 0;
    virtual void stop() = 0;
};

}  // namespace zelkon
