#pragma once

#include <functional>
#include <memory>

#include "platform/owned_fd.h"

class QSocketNotifier;

namespace zelkon {

// Blocks SIGINT and SIGTERM in this thread and the threads it starts later;
// call it before any thread starts. Children started by the process starter
// unblock them again.
void block_stop_signals();

// Turns SIGINT and SIGTERM into a call on the event loop: the blocked signals
// are read from a descriptor, so no handler and no global is needed.
class StopSignals {
  public:
    explicit StopSignals(std::function<void(int)> on_signal);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    std::function<void(int)> on_signal_;
    OwnedFd descriptor_;  // outlives the notifier that watches it
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zelkon
