#include "adapter/wire/TavroFrames.h"

#include "common/ByteOrder.h"

namespace halden {

namespace {

constexpr std::size_t kCommandFrameSize = 14;
constexpr std::size_t kReplyMinimum = 6;
constexpr std::size_t kInfoReplySize = 9;

void putLe32(std::span<std::uint8_t> out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace

std::vector<std::uint8_t> TavroFrames::commandFrame(const Command& command) {
    std::vector<std::uint8_t> frame(kOutputLength, 0);
    frame[0] = kCommandReportId;
    frame[1] = kCommandKind;
    frame[2] = command.code;
    frame[3] = command.tag;
    putLe32(frame, 4, command.address);
    putLe32(frame, 8, command.length);
    frame[12] = command.parameter0;
    frame[13] = command.parameter1;
    return frame;
}

std::vector<std::uint8_t> TavroFrames::switchFrame() {
    std::vector<std::uint8_t> frame(kOutputLength, 0);
    frame[0] = kCommandReportId;
    frame[1] = kSwitchKind;
    return frame;
}

std::optional<TavroFrames::Command>
TavroFrames::parseCommand(std::span<const std::uint8_t> report) {
    if (report.size() < kCommandFrameSize || report[0] != kCommandReportId ||
        report[1] != kCommandKind) {
        return std::nullopt;
    }
    return Command{
        report[2],  report[3], ByteOrder::readLe32(report, 4), ByteOrder::readLe32(report, 8),
        report[12], report[13]};
}

std::array<std::uint8_t, TavroFrames::kReplySize> TavroFrames::replyBytes(const Reply& reply) {
    std::array<std::uint8_t, kReplySize> bytes{};
    bytes[0] = reply.tag;
    bytes[2] = static_cast<std::uint8_t>(reply.status);
    bytes[3] = static_cast<std::uint8_t>(reply.status >> 8);
    bytes[4] = static_cast<std::uint8_t>(reply.millivolts);
    bytes[5] = static_cast<std::uint8_t>(reply.millivolts >> 8);
    bytes[6] = static_cast<std::uint8_t>(reply.firmware >> 8);
    bytes[7] = static_cast<std::uint8_t>(reply.firmware);
    bytes[8] = reply.offline;
    return bytes;
}

std::optional<TavroFrames::Reply> TavroFrames::parseReply(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kReplyMinimum) {
        return std::nullopt;
    }
    Reply reply{bytes[0], ByteOrder::readLe16(bytes, 2), ByteOrder::readLe16(bytes, 4), 0, 0};
    if (bytes.size() >= kInfoReplySize) {
        reply.firmware = ByteOrder::readBe16(bytes, 6);
        reply.offline = bytes[8];
    }
    return reply;
}

std::uint16_t TavroFrames::checksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (const auto byte : bytes) {
        sum += byte;
    }
    return static_cast<std::uint16_t>(sum);
}

} // namespace halden
