#pragma once

#include "adapter/wire/TavroFrames.h"
#include "tavro/emulator/AdapterMemory.h"
#include "tavro/emulator/EmulatedPartTable.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace halden {

// The adapter in programmer mode: its target (powered by CMD_OPEN_TARGET, released by
// CMD_CLOSE_TARGET), the data phases it takes, the read-backs it serves and the replies
// it gives. Flash programming clears bits only, as real flash does, so code programmed
// over unerased flash reads back wrong.
//
// It holds the host to the frames a real adapter needs: CMD_OPEN_TARGET reaches the chip
// only with the chip's own parameter bytes (otherwise no target answers, status 3), and
// every data-phase report is report ID 0 with 128 data bytes and zeros after the data in
// the last one; the first report that is not ends the phase at once with status 4.
class AdapterModel {
public:
    // What one report did.
    struct Effects {
        bool accepted = true; // a feature report: false when the adapter refused it
        std::optional<TavroFrames::Reply> reply;
        std::uint8_t command = 0;     // the command the reply answers
        bool enterBootLoader = false; // CMD_ENTER_BOOTLOADER with its parameters
        unsigned changed = 0;         // AdapterMemory::Item bits
        // The memory as it was before the change, so that a change that cannot be kept
        // can be taken back; set whenever `changed` is.
        std::optional<AdapterMemory> before;
    };

    static constexpr std::uint16_t kLowestMillivolts = 2000;
    static constexpr std::uint16_t kHighestMillivolts = 3599;

    // parts: what CMD_CHECK_TARGET looks a part index up in.
    AdapterModel(AdapterMemory& memory, std::optional<EmulatedPart> target,
                 std::uint16_t millivolts, bool offline, const EmulatedPartTable& parts);

    Effects onCommand(const TavroFrames::Command& command);
    // A data-phase report (byte 0 the report ID, data from byte 1).
    Effects onFeature(std::span<const std::uint8_t> report);
    // The next read-back report; false when no read-back is under way.
    bool readFeature(std::span<std::uint8_t> report);

    bool targetOpen() const { return open_; }
    // Flash cells that keep their value when programmed: a worn chip.
    void setStuckCells(std::vector<std::uint32_t> offsets) { stuck_ = std::move(offsets); }
    // A stored code byte kept inverted: a worn off-line store.
    void setCorruptStoredByte(std::uint32_t offset) { corruptStored_ = offset; }

private:
    bool stuck(std::size_t offset) const {
        return std::find(stuck_.begin(), stuck_.end(), offset) != stuck_.end();
    }

    std::vector<std::uint32_t> stuck_;
    std::optional<std::uint32_t> corruptStored_;

    struct DataPhase {
        TavroFrames::Command command;
        std::vector<std::uint8_t> data;
    };
    struct ReadBack {
        std::vector<std::uint8_t> data;
        std::size_t offset = 0;
    };

    TavroFrames::Reply reply(std::uint8_t tag, std::uint16_t status) const;
    std::uint16_t openTarget(const TavroFrames::Command& command);
    std::uint16_t checkTarget(const TavroFrames::Command& command) const;
    std::uint16_t eraseChip(Effects& effects);
    // Notes a change of `item` in effects, keeping the memory as it was before the first.
    void change(Effects& effects, unsigned item) const;
    std::optional<std::size_t> dataCapacity(std::uint8_t code) const;
    Effects startDataPhase(const TavroFrames::Command& command);
    Effects finishDataPhase();
    std::uint16_t execute(const TavroFrames::Command& command,
                          const std::vector<std::uint8_t>& data, Effects& effects);
    std::uint16_t startReadBack(const TavroFrames::Command& command);
    static bool validHeader(std::span<const std::uint8_t> header);
    // Whether a data-phase report carrying `count` data bytes is framed as the adapter
    // takes it.
    static bool wellFramed(std::span<const std::uint8_t> report, std::size_t count);

    AdapterMemory& memory_;
    std::optional<EmulatedPart> target_;
    std::uint16_t millivolts_;
    bool offline_;
    const EmulatedPartTable& parts_;
    bool open_ = false;
    std::optional<DataPhase> phase_;
    std::optional<ReadBack> read_;
};

} // namespace halden
