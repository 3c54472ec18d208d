#include "common/Clock.h"

#include <chrono>

namespace halden {

Clock::LocalTime SystemClock::localTime() const {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::time_t SystemClock::calendarSeconds() const {
    return std::time(nullptr);
}

std::uint32_t SystemClock::milliseconds() const {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

} // namespace halden
