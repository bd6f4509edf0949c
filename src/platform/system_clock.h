#pragma once

#include "platform/clock.h"

namespace zelkon {

class SystemClock : public Clock {
  public:
    DateTime now() const override;
    std::int64_t tick_ms() const override;
    void sleep_ms(int milliseconds) override;
    std::string format_local(DateTime when, const char* strftime_format) const override;
};

}  // namespace zelkon
