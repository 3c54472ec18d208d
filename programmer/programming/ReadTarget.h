#pragma once

#include "programmer/programming/AdapterFirmwareCheck.h"
#include "programmer/programming/CommandProtocol.h"

#include <cstdint>
#include <vector>

namespace halden {

class AdapterUi;
class PartSettings;
class TextMessage;

// Reads the target chip's flash through the adapter: open the adapter, check its
// firmware, open and identify the target as Update Target does (with its messages and
// its way of leaving the link on each failure), read the flash from offset 0 with
// CMD_READ_TARGET_CODE in pieces with progress, close the target and the adapter.
// Nothing is erased or programmed. Read, verify and blank check are built on it.
class ReadTarget {
public:
    enum class Result {
        Ok,
        Failed,     // the target was not opened or identified; the rules' message was shown
        ReadFailed, // a piece could not be read, or the target did not close
        Busy,       // another adapter operation was running: nothing ran
    };

    // The read-back area holds a little more than 256 KiB; the flash is read in pieces
    // small enough for a fine progress bar and large enough to keep the bus busy.
    static constexpr std::uint32_t kPiece = 8192;

    ReadTarget(AdapterLink& link, PartSettings& part, AdapterUi& ui, const TextMessage& messages,
               TransferObserver& observer, bool& busy)
        : link_(link), part_(part), ui_(ui), messages_(messages), observer_(observer), busy_(busy) {
    }

    // Reads length bytes of flash; the bytes are in data() after Ok.
    Result run(std::uint32_t length);
    const std::vector<std::uint8_t>& data() const { return data_; }
    bool upgradeStarted() const { return upgradeStarted_; }

private:
    Result sequence(CommandProtocol& protocol, std::uint32_t length);
    bool readPieces(std::uint32_t length);

    AdapterLink& link_;
    PartSettings& part_;
    AdapterUi& ui_;
    const TextMessage& messages_;
    TransferObserver& observer_;
    bool& busy_;
    bool upgradeStarted_ = false;
    std::vector<std::uint8_t> data_;
};

} // namespace halden
