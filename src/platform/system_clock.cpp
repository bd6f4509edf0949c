#include "platform/system_clock.h"

#include <chrono>
#include <ctime>
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

std::string SystemClock::format_local(DateTime when, const char* strftime_format) const {
    std::time_t seconds = static_cast<std::time_t>(when.epoch_seconds);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char buffer[128];
    std::size_t length = std::strftime(buffer, sizeof buffer, strftime_format, &parts);
    return std::string(buffer, length);
}

}  // namespace zelkon
