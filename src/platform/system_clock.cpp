#include "platform/system_clock.h"

#include <chrono>
#include <thread>

namespace zelkon {

DateTime SystemClock::now() const {
    auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    return DateTime{std::chrono::duration_cast<std::chrono::seconds>(since_epoch).count()};
}

std::int64_t SystemClock::tick_ms() const {
    auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count();
}

void SystemClock::sleep_ms(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

}  // namespace zelkon
