#pragma once

#include <QElapsedTimer>
#include <QPointer>

#include "platform/clock.h"
#include "ui/main_window.h"

namespace zelkon {

// The yield of the form while the window is up: shows the model as it
// stands (the busy pointer at every yield, the rest at most every
// kMinRefreshIntervalMs), then lets pending events run. The form yields in the middle of
// long operations, and the window's own refresh timer cannot show progress
// until the operation gives control back.
class RefreshingEventPump : public EventPump {
  public:
    // The window to refresh; none until the window is made, since the form,
    // and so this pump, exist before it.
    void attach(MainWindow* window) { window_ = window; }
    void yield() override;

    // The form may yield many times a second; the eye needs far fewer refreshes.
    static constexpr int kMinRefreshIntervalMs = 40;

  private:
    QPointer<MainWindow> window_;
    QElapsedTimer since_refresh_;
};

}  // namespace zelkon
