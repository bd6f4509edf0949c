#include "platform/fake/fake_clock.h"

#include <algorithm>
#include <clocale>
#include <ctime>

namespace zelkon {

FakeClock::FakeClock(DateTime start) : start_(start) {}

FakeClock::~FakeClock() = default;

DateTime FakeClock::now() const {
    return DateTime{start_.epoch_seconds + tick_ms_ / 1000};
}

void FakeClock::sleep_ms(int milliseconds) {
    tick_ms_ += std::max(0, milliseconds);
}

std::string FakeClock::format_local(DateTime when, const char* strftime_format) const {
    std::time_t seconds = static_cast<std::time_t>(when.epoch_seconds);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    char buffer[128];
    std::size_t length = strftime_l(buffer, sizeof buffer, strftime_format, &parts, c_locale);
    freelocale(c_locale);
    return std::string(buffer, length);
}

std::unique_ptr<Timer> FakeClock::create_timer() {
    auto timer = std::make_unique<FakeTimer>(*this);
    timers_.push_back(timer.get());
    return timer;
}

void FakeClock::forget(FakeTimer* timer) {
    timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

FakeTimer* FakeClock::next_due(std::int64_t until) const {
    FakeTimer* next = nullptr;
    for (FakeTimer* timer : timers_) {
        if (timer->enabled() && timer->due_ms() <= until &&
            (next == nullptr || timer->due_ms() < next->due_ms())) {
            next = timer;
        }
    }
    return next;
}

void FakeClock::advance(std::int64_t milliseconds) {
    std::int64_t until = tick_ms_ + milliseconds;
    while (FakeTimer* timer = next_due(until)) {
        tick_ms_ = std::max(tick_ms_, timer->due_ms());
        timer->fire();
    }
    tick_ms_ = until;
}

void FakeTimer::set_interval(int milliseconds) {
    interval_ = milliseconds;
    due_ms_ = clock_.tick_ms() + std::max(1, interval_);
}

void FakeTimer::set_enabled(bool enabled) {
    if (enabled && !enabled_) {
        due_ms_ = clock_.tick_ms() + std::max(1, interval_);
    }
    enabled_ = enabled;
}

void FakeTimer::fire() {
    // The next tick is due one interval after this one, as a real timer's is.
    due_ms_ += std::max(1, interval_);
    if (handler_) {
        handler_();
    }
}

}  // namespace zelkon
