#include "tavro/emulator/AdapterModel.h"

#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterStatus.h"
#include "common/ByteOrder.h"

#include <algorithm>

namespace halden {

namespace {

constexpr std::size_t kHeaderFixedSize = 69;

bool fits(std::uint32_t address, std::uint32_t length, std::size_t size) {
    return std::uint64_t{address} + length <= size;
}

} // namespace

AdapterModel::AdapterModel(AdapterMemory& memory, std::optional<EmulatedPart> target,
                           std::uint16_t millivolts, bool offline, const EmulatedPartTable& parts)
    : memory_(memory), target_(std::move(target)), millivolts_(millivolts), offline_(offline),
      parts_(parts) {}

TavroFrames::Reply AdapterModel::reply(std::uint8_t tag, std::uint16_t status) const {
    return {tag, status, millivolts_, memory_.firmware, static_cast<std::uint8_t>(offline_)};
}

AdapterModel::Effects AdapterModel::onCommand(const TavroFrames::Command& command) {
    phase_.reset();
    read_.reset();
    Effects effects;
    effects.command = command.code;
    switch (command.code) {
    case CMD_CLOSE_TARGET:
        open_ = false;
        return effects;
    case CMD_ENTER_BOOTLOADER:
        effects.enterBootLoader = command.parameter0 == kEnterBootloaderParameter0 &&
                                  command.parameter1 == kEnterBootloaderParameter1;
        return effects;
    case TavroFrames::kInfo:
        effects.reply = reply(command.tag, STATUS_DONE);
        return effects;
    case CMD_OPEN_TARGET:
        effects.reply = reply(command.tag, openTarget(command));
        return effects;
    case CMD_CHECK_TARGET:
        effects.reply = reply(command.tag, checkTarget(command));
        return effects;
    case CMD_ERASE_CHIP:
        effects.reply = reply(command.tag, eraseChip(effects));
        return effects;
    case CMD_PROGRAM_CODE:
    case CMD_PROGRAM_OPTIONS:
    case CMD_STORE_PROJECT_HEADER:
    case CMD_STORE_PROJECT_CODE:
        return startDataPhase(command);
    case CMD_READ_TARGET_CODE:
    case CMD_READ_STORED_CODE:
        effects.reply = reply(command.tag, startReadBack(command));
        return effects;
    default:
        effects.reply = reply(command.tag, STATUS_FAILED);
        return effects;
    }
}

std::uint16_t AdapterModel::openTarget(const TavroFrames::Command& command) {
    open_ = false; // the target is powered up afresh; it is open only when that works
    if (!target_) {
        return STATUS_NO_TARGET;
    }
    if (millivolts_ < kLowestMillivolts || millivolts_ > kHighestMillivolts) {
        return STATUS_VOLTAGE;
    }
    // The parameter bytes set up the chip's interface: with another part's the powered
    // chip never answers.
    if (command.parameter0 != target_->parameter0 || command.parameter1 != target_->parameter1) {
        return STATUS_NO_TARGET;
    }
    open_ = true;
    return STATUS_DONE;
}

std::uint16_t AdapterModel::checkTarget(const TavroFrames::Command& command) const {
    if (!target_ || !open_) {
        return STATUS_NO_TARGET;
    }
    const auto index = static_cast<std::uint16_t>(command.parameter0 | (command.parameter1 << 8));
    const auto chipId = parts_.chipIdOf(index);
    return chipId && *chipId == target_->chipId ? STATUS_DONE : STATUS_WRONG_PART;
}

void AdapterModel::change(Effects& effects, unsigned item) const {
    if (!effects.before) {
        effects.before = memory_;
    }
    effects.changed |= item;
}

std::uint16_t AdapterModel::eraseChip(Effects& effects) {
    if (!target_ || !open_) {
        return STATUS_NO_TARGET;
    }
    change(effects, AdapterMemory::kFlash);
    std::fill(memory_.flash.begin(), memory_.flash.end(), 0xFF);
    return STATUS_DONE;
}

std::optional<std::size_t> AdapterModel::dataCapacity(std::uint8_t code) const {
    switch (code) {
    case CMD_PROGRAM_CODE:
        // Without a target the data still comes and the reply says no target answers.
        return target_ ? memory_.flash.size() : AdapterMemory::kMaxStoredCode;
    case CMD_PROGRAM_OPTIONS:
        return AdapterMemory::kMaxOptions;
    case CMD_STORE_PROJECT_HEADER:
        return offline_ ? std::optional<std::size_t>(AdapterMemory::kMaxHeader) : std::nullopt;
    case CMD_STORE_PROJECT_CODE:
        return offline_ ? std::optional<std::size_t>(AdapterMemory::kMaxStoredCode) : std::nullopt;
    default:
        return std::nullopt;
    }
}

AdapterModel::Effects AdapterModel::startDataPhase(const TavroFrames::Command& command) {
    const auto capacity = dataCapacity(command.code);
    const std::uint32_t address = command.code == CMD_PROGRAM_CODE ? command.address : 0;
    if (!capacity || !fits(address, command.length, *capacity)) {
        Effects effects;
        effects.command = command.code;
        effects.reply = reply(command.tag, STATUS_FAILED);
        return effects;
    }
    phase_ = DataPhase{command, {}};
    phase_->data.reserve(command.length);
    if (command.length == 0) {
        return finishDataPhase();
    }
    Effects effects;
    effects.command = command.code;
    return effects;
}

bool AdapterModel::wellFramed(std::span<const std::uint8_t> report, std::size_t count) {
    return report.size() == TavroFrames::kFeatureLength && report[0] == 0 &&
           count <= TavroFrames::kDataPerReport &&
           std::all_of(report.begin() + 1 + static_cast<std::ptrdiff_t>(count), report.end(),
                       [](std::uint8_t byte) { return byte == 0; });
}

AdapterModel::Effects AdapterModel::onFeature(std::span<const std::uint8_t> report) {
    Effects effects;
    if (!phase_ || report.empty()) {
        effects.accepted = false;
        return effects;
    }
    auto& data = phase_->data;
    const std::size_t wanted =
        std::min<std::size_t>(phase_->command.length - data.size(), TavroFrames::kDataPerReport);
    effects.command = phase_->command.code;
    if (!wellFramed(report, wanted)) {
        // Taken off the bus, but not data the adapter can use: the command fails now and
        // the rest of its reports find no data phase.
        effects.reply = reply(phase_->command.tag, STATUS_FAILED);
        phase_.reset();
        return effects;
    }
    const auto first = report.begin() + 1;
    data.insert(data.end(), first, first + static_cast<std::ptrdiff_t>(wanted));
    return data.size() == phase_->command.length ? finishDataPhase() : effects;
}

AdapterModel::Effects AdapterModel::finishDataPhase() {
    DataPhase phase = std::move(*phase_);
    phase_.reset();
    Effects effects;
    effects.command = phase.command.code;
    const std::uint16_t expected =
        static_cast<std::uint16_t>(phase.command.parameter0 | (phase.command.parameter1 << 8));
    const std::uint16_t status = TavroFrames::checksum(phase.data) != expected
                                     ? std::uint16_t{STATUS_CHECKSUM_MISMATCH}
                                     : execute(phase.command, phase.data, effects);
    effects.reply = reply(phase.command.tag, status);
    return effects;
}

std::uint16_t AdapterModel::execute(const TavroFrames::Command& command,
                                    const std::vector<std::uint8_t>& data, Effects& effects) {
    switch (command.code) {
    case CMD_PROGRAM_CODE:
        if (!target_ || !open_) {
            return STATUS_NO_TARGET;
        }
        change(effects, AdapterMemory::kFlash);
        for (std::size_t i = 0; i < data.size(); ++i) {
            if (!stuck(command.address + i)) {
                memory_.flash[command.address + i] &= data[i];
            }
        }
        return STATUS_DONE;
    case CMD_PROGRAM_OPTIONS:
        if (!target_ || !open_) {
            return STATUS_NO_TARGET;
        }
        change(effects, AdapterMemory::kOptions);
        memory_.options = data;
        return STATUS_DONE;
    case CMD_STORE_PROJECT_HEADER:
        if (!validHeader(data)) {
            return STATUS_FAILED;
        }
        change(effects, AdapterMemory::kStoredHeader);
        memory_.storedHeader = data;
        return STATUS_DONE;
    case CMD_STORE_PROJECT_CODE:
        change(effects, AdapterMemory::kStoredCode);
        memory_.storedCode = data;
        if (corruptStored_ && *corruptStored_ < data.size()) {
            memory_.storedCode[*corruptStored_] ^= 0xFF;
        }
        return STATUS_DONE;
    default:
        return STATUS_FAILED;
    }
}

bool AdapterModel::validHeader(std::span<const std::uint8_t> header) {
    if (header.size() < kHeaderFixedSize) {
        return false;
    }
    const std::size_t length = ByteOrder::readLe16(header, 2);
    return length == header.size() && header[68] == length - kHeaderFixedSize &&
           ByteOrder::readLe16(header, 0) == TavroFrames::checksum(header.subspan(2));
}

std::uint16_t AdapterModel::startReadBack(const TavroFrames::Command& command) {
    const bool fromTarget = command.code == CMD_READ_TARGET_CODE;
    if (fromTarget && (!target_ || !open_)) {
        return STATUS_NO_TARGET;
    }
    const auto& source = fromTarget ? memory_.flash : memory_.storedCode;
    if (!fits(command.address, command.length, source.size())) {
        return STATUS_FAILED;
    }
    const auto begin = source.begin() + command.address;
    read_ = ReadBack{{begin, begin + command.length}, 0};
    return STATUS_DONE;
}

bool AdapterModel::readFeature(std::span<std::uint8_t> report) {
    if (!read_ || report.empty() || read_->offset >= read_->data.size()) {
        return false;
    }
    std::fill(report.begin() + 1, report.end(), 0);
    const std::size_t n = std::min(
        {read_->data.size() - read_->offset, TavroFrames::kDataPerReport, report.size() - 1});
    std::copy_n(read_->data.begin() + read_->offset, n, report.begin() + 1);
    read_->offset += n;
    if (read_->offset == read_->data.size()) {
        read_.reset();
    }
    return true;
}

} // namespace halden
