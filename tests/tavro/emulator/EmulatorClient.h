#pragma once

#include "adapter/hid/HidHandle.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/TavroFrames.h"
#include "tavro/emulator/BuiltInParts.h"
#include "tavro/emulator/TavroEmulator.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace halden::test {

// Talks to an emulator in the frames the link library uses, for tests of the adapter
// model without the library in between. CMD_OPEN_TARGET carries the parameter bytes of
// the part in the emulator's socket, as the programmer sends them, unless a test gives
// others.
class EmulatorClient {
public:
    EmulatorClient(std::unique_ptr<HidHandle> handle, const std::optional<EmulatedPart>& part)
        : handle_(std::move(handle)),
          openParameters_(
              part ? static_cast<std::uint16_t>(part->parameter0 | part->parameter1 << 8) : 0) {}

    HidHandle& handle() { return *handle_; }

    // parameters: bytes 12 and 13 (LE), a data command's checksum or a part index; without
    // them CMD_OPEN_TARGET carries the part's and every other command zeros.
    bool command(std::uint8_t code, std::uint32_t length = 0,
                 std::optional<std::uint16_t> parameters = std::nullopt, std::uint8_t tag = 0x42,
                 std::uint32_t address = 0) {
        const std::uint16_t bytes =
            parameters.value_or(code == CMD_OPEN_TARGET ? openParameters_ : 0);
        return handle_->writeOutput(
            TavroFrames::commandFrame({code, tag, address, length, static_cast<std::uint8_t>(bytes),
                                       static_cast<std::uint8_t>(bytes >> 8)}));
    }

    // The next reply; nothing when none comes within the time.
    std::optional<TavroFrames::Reply> reply(int timeoutMs = 100) {
        std::vector<std::uint8_t> buffer(handle_->inputReportLength());
        if (handle_->readInput(buffer, timeoutMs) != HidHandle::kOk) {
            return std::nullopt;
        }
        return TavroFrames::parseReply(std::span(buffer).subspan(1));
    }

    // Sends data in 128-byte feature reports; the number the adapter accepted.
    std::size_t data(std::span<const std::uint8_t> bytes) {
        std::size_t accepted = 0;
        for (std::size_t sent = 0; sent < bytes.size(); sent += TavroFrames::kDataPerReport) {
            std::vector<std::uint8_t> report(handle_->featureReportLength(), 0);
            const auto n = std::min(bytes.size() - sent, TavroFrames::kDataPerReport);
            std::copy_n(bytes.begin() + sent, n, report.begin() + 1);
            accepted += handle_->sendFeature(report);
        }
        return accepted;
    }

    // A whole data command; the reply's status, or -1 without a reply.
    int dataCommand(std::uint8_t code, std::span<const std::uint8_t> bytes) {
        command(code, static_cast<std::uint32_t>(bytes.size()), TavroFrames::checksum(bytes));
        data(bytes);
        const auto answer = reply();
        return answer ? answer->status : -1;
    }

    int simple(std::uint8_t code) {
        command(code);
        const auto answer = reply();
        return answer ? answer->status : -1;
    }

    std::vector<std::uint8_t> read(std::uint8_t code, std::uint32_t length) {
        command(code, length);
        const auto answer = reply();
        if (!answer || answer->status != 0) {
            return {};
        }
        std::vector<std::uint8_t> bytes;
        while (bytes.size() < length) {
            std::vector<std::uint8_t> report(handle_->featureReportLength(), 0);
            if (!handle_->getFeature(report)) {
                break;
            }
            const auto n =
                std::min<std::size_t>(length - bytes.size(), TavroFrames::kDataPerReport);
            bytes.insert(bytes.end(), report.begin() + 1, report.begin() + 1 + n);
        }
        return bytes;
    }

private:
    std::unique_ptr<HidHandle> handle_;
    std::uint16_t openParameters_;
};

inline std::shared_ptr<TavroEmulator> makeEmulator(const std::string& settings,
                                                   std::uint16_t firmware = 0x0105) {
    std::string error;
    auto emulator = TavroEmulator::create(settings, firmware, BuiltInParts::table(), &error);
    EXPECT_TRUE(emulator) << error;
    return emulator;
}

inline std::vector<std::uint8_t> pattern(std::size_t size, std::uint32_t seed = 1) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

} // namespace halden::test
