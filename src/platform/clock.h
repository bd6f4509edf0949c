#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zelkon {

// A local wall-clock date-time with one-second resolution, held as seconds
// since the epoch; it is shown in local time.
struct DateTime {
    std::int64_t epoch_seconds = 0;

    DateTime plus_seconds(double seconds) const {
        return DateTime{epoch_seconds + static_cast<std::int64_t>(seconds)};
    }
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
    // Milliseconds of a monotonic clock; only differences mean anything.
    virtual std::int64_t tick_ms() const = 0;
    virtual void sleep_ms(int milliseconds) = 0;
    // A date-time in the user's local time, written with a strftime format
    // (month names in the user's locale).
    virtual std::string format_local(DateTime when, const char* strftime_format) const = 0;
};

// A repeating timer of the event loop: while enabled it calls its handler
// every interval milliseconds.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void set_handler(std::function<void()> handler) = 0;
    virtual void set_interval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void set_enabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
};

class TimerFactory {
  public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> create_timer() = 0;
};

// Lets pending interface events run (clicks, timer ticks) and returns.
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void yield() = 0;
};

}  // namespace zelkon
