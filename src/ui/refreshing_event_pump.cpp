#include "ui/refreshing_event_pump.h"

#include <QCoreApplication>

namespace zelkon {

void RefreshingEventPump::yield() {
    bool due = !since_refresh_.isValid() || since_refresh_.elapsed() >= kMinRefreshIntervalMs;
    if (window_ && due) {
        window_->refresh();
        since_refresh_.start();
    }
    QCoreApplication::processEvents();
}

}  // namespace zelkon
