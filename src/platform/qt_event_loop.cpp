#include "platform/qt_event_loop.h"

#include <QCoreApplication>
#include <QTimer>

namespace zelkon {
namespace {

class QtTimer : public Timer {
  public:
    QtTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (handler_) {
                handler_();
            }
        });
    }
    void set_handler(std::function<void()> handler) override { handler_ = std::move(handler); }
    void set_interval(int milliseconds) override { timer_.setInterval(milliseconds); }
    int interval() const override { return timer_.interval(); }
    void set_enabled(bool enabled) override {
        if (enabled && !timer_.isActive()) {
            timer_.start();
        } else if (!enabled) {
            timer_.stop();
        }
    }
    bool enabled() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
    std::function<void()> handler_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerFactory::create_timer() {
    return std::make_unique<QtTimer>();
}

void QtEventPump::yield() {
    QCoreApplication::processEvents();
}

}  // namespace zelkon
