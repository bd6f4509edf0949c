#include "ui/refreshing_event_pump.h"

#include <QCoreApplication>

namespace zelkon {

void RefreshingEventPump::yield() {
    bool due = !since_refresh_.isValid() || since_refresh_.elapsed() >= kMinRefreshIntervalMs;
    if (window_ && due) {
        window_->refresh();
        since_refresh_.start();
    } else if (window_) {
        // The pointer tells at once that the click was taken.
        window_->show_busy_pointer();
    }
    QCoreApplication::processEvents();
}

}  // namespace zelkon
