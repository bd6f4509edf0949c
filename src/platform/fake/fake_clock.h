#pragma once

#include <vector>

#include "platform/clock.h"

namespace zelkon {

class FakeTimer;

// A simulated clock. advance() moves time forward and fires the timers that
// fall due on the way, in time order. sleep_ms() moves time without firing
// any, as a real sleep holds the event loop; the event pump's yield fires
// those that fell due meanwhile. Local time is UTC in the C locale, so no
// test depends on the machine's time zone or language.
class FakeClock : public Clock, public TimerFactory {
  public:
    explicit FakeClock(DateTime start = DateTime{1796565909});  // 06-Dec-2026 14:05:09 UTC
    ~FakeClock() override;

    DateTime now() const override;
    std::int64_t tick_ms() const override { return tick_ms_; }
    void sleep_ms(int milliseconds) override;
    std::string format_local(DateTime when, const char* strftime_format) const override;
    std::unique_ptr<Timer> create_timer() override;

    void advance(std::int64_t milliseconds);
    // Fires the timers due by now, as an event loop would on its next turn.
    void fire_due_timers() { advance(0); }
    void forget(FakeTimer* timer);

  private:
    FakeTimer* next_due(std::int64_t until) const;

    DateTime start_;
    std::int64_t tick_ms_ = 0;
    std::vector<FakeTimer*> timers_;
};

class FakeTimer : public Timer {
  public:
    explicit FakeTimer(FakeClock& clock) : clock_(clock) {}
    ~FakeTimer() override { clock_.forget(this); }

    void set_handler(std::function<void()> handler) override { handler_ = std::move(handler); }
    void set_interval(int milliseconds) override;
    int interval() const override { return interval_; }
    void set_enabled(bool enabled) override;
    bool enabled() const override { return enabled_; }

    std::int64_t due_ms() const { return due_ms_; }
    void fire();

  private:
    FakeClock& clock_;
    std::function<void()> handler_;
    int interval_ = 0;
    bool enabled_ = false;
    std::int64_t due_ms_ = 0;
};

// Counts yields and runs a test's hook at each, to deliver "pending events";
// with a clock, a yield also fires the timers that have fallen due.
class FakeEventPump : public EventPump {
  public:
    explicit FakeEventPump(FakeClock* clock = nullptr) : clock_(clock) {}
    void yield() override {
        ++yields;
        if (on_yield) {
            on_yield();
        }
        if (clock_ != nullptr) {
            clock_->fire_due_timers();
        }
    }
    int yields = 0;
    std::function<void()> on_yield;

  private:
    FakeClock* clock_;
};

}  // namespace zelkon
