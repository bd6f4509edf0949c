#pragma once

#include "platform/clock.h"

namespace zelkon {

// Timers and the yield of a running Qt event loop (QCoreApplication or a
// widgets application).
class QtTimerFactory : public TimerFactory {
  public:
    std::unique_ptr<Timer> create_timer() override;
};

class QtEventPump : public EventPump {
  public:
    void yield() override;
};

}  // namespace zelkon
