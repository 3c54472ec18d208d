#pragma once

#include <chrono>
#include <cstddef>

namespace halden {

// Full-speed USB timing of HID reports: the bus runs in 1 ms frames; a control transfer
// (feature report) needs the frames its setup, data and status packets take at 12 Mbit/s,
// an interrupt transfer (input or output report) one 64-byte packet per frame. A
// transfer may start in the frame that is running when it is asked for and ends at the
// end of its last frame; transfers follow one another on the bus. The transport time
// is the frames all booked transfers need when the host keeps the bus busy.
class UsbTiming {
public:
    using Clock = std::chrono::steady_clock;
    enum class Pipe { Control, Interrupt };

    static constexpr std::chrono::microseconds kFrame{1000};
    static constexpr std::size_t kMaxPacket = 64;

    // enabled false books and counts transfers but makes no one wait.
    explicit UsbTiming(bool enabled, Clock::time_point epoch = Clock::now())
        : enabled_(enabled), epoch_(epoch), busFree_(epoch) {}

    // Frames a transfer of wireBytes needs.
    static unsigned frames(Pipe pipe, std::size_t wireBytes);
    // Books a transfer asked for at now; when it is over (now when timing is off).
    Clock::time_point book(Pipe pipe, std::size_t wireBytes, Clock::time_point now);
    // Waits until the time point, to within a few microseconds.
    static void waitUntil(Clock::time_point when);

    bool enabled() const { return enabled_; }
    std::chrono::nanoseconds transportTime() const { return transport_; }
    void reset() { transport_ = {}; }

private:
    bool enabled_;
    Clock::time_point epoch_;
    Clock::time_point busFree_;
    std::chrono::nanoseconds transport_{};
};

} // namespace halden
