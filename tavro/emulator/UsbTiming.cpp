#include "tavro/emulator/UsbTiming.h"

#include <algorithm>
#include <thread>

namespace halden {

namespace {

constexpr double kBitsPerMicrosecond = 12.0;
// Token, CRC, handshake and gaps of one packet, in bytes on the wire.
constexpr std::size_t kPacketOverhead = 13;
// Bit stuffing adds at most one bit in six.
constexpr double kStuffing = 7.0 / 6.0;
// The part of a frame left after start-of-frame and periodic traffic.
constexpr double kUsableMicroseconds = 900.0;
// The scheduler is asked to wake us this much early and the rest of the wait is spent
// spinning: a sleep alone may overshoot by more than that, and yielding while spinning
// hands the processor to whoever else is runnable for a whole time slice.
constexpr auto kSpin = std::chrono::microseconds(150);

} // namespace

unsigned UsbTiming::frames(Pipe pipe, std::size_t wireBytes) {
    const std::size_t packets = (wireBytes + kMaxPacket - 1) / kMaxPacket;
    if (pipe == Pipe::Interrupt) {
        return static_cast<unsigned>(std::max<std::size_t>(packets, 1));
    }
    const std::size_t controlPackets = packets + 2; // setup and status stages
    const std::size_t bytes = 8 + wireBytes + controlPackets * kPacketOverhead;
    const double microseconds = static_cast<double>(bytes) * 8 * kStuffing / kBitsPerMicrosecond;
    return std::max(
        1u, static_cast<unsigned>((microseconds + kUsableMicroseconds - 1) / kUsableMicroseconds));
}

UsbTiming::Clock::time_point UsbTiming::book(Pipe pipe, std::size_t wireBytes,
                                             Clock::time_point now) {
    const unsigned count = frames(pipe, wireBytes);
    transport_ += count * kFrame;
    if (!enabled_) {
        return now;
    }
    const auto start = std::max(now, busFree_);
    const auto frameIndex = (start - epoch_) / kFrame;
    busFree_ = epoch_ + (frameIndex + count) * kFrame;
    return busFree_;
}

void UsbTiming::waitUntil(Clock::time_point when) {
    if (when - Clock::now() > kSpin) {
        std::this_thread::sleep_until(when - kSpin);
    }
    while (Clock::now() < when) {
    }
}

} // namespace halden
