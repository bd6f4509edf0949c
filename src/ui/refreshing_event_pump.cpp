#include "ui/refreshing_event_pump.h"

#include <QCoreApplication>

namespace zelkon {

void RefreshingEventPump::yield() {
    if (window_) {
        window_->refresh();
    }
    QCoreApplication::processEvents();
}

}  // namespace zelkon
