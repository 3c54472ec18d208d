#pragma once

#include <cstdint>
#include <ctime>

namespace halden {

// The time sources the system reads: local calendar time, seconds since the epoch,
// and a millisecond tick. Tests fix them.
class Clock {
public:
    struct LocalTime {
        int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    };

    virtual ~Clock() = default;
    virtual LocalTime localTime() const = 0;
    virtual std::time_t calendarSeconds() const = 0;
    virtual std::uint32_t milliseconds() const = 0;
};

// The machine's clocks.
class SystemClock : public Clock {
public:
    LocalTime localTime() const override;
    std::time_t calendarSeconds() const override;
    std::uint32_t milliseconds() const override;
};

} // namespace halden
