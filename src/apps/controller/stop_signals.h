#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zelkon {

// Turns SIGINT and SIGTERM into a call on the event loop: the signals are
// blocked and read from a signal descriptor, so no handler runs in between.
class StopSignals : public QObject {
  public:
    explicit StopSignals(std::function<void(int)> on_signal);
    ~StopSignals() override;
    bool active() const { return descriptor_ >= 0; }

  private:
    void read_signal();

    std::function<void(int)> on_signal_;
    int descriptor_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zelkon
