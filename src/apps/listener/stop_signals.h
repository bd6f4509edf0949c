#pragma once

#include <QSocketNotifier>
#include <memory>

namespace zelkon {

// Turns SIGINT and SIGTERM into a clean end of the event loop. Block the
// signals (block_stop_signals) before any thread starts, then make one of these
// once the application exists.
void block_stop_signals();

class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zelkon
