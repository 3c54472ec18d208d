#pragma once

#include "programmer/programming/CommandProtocol.h"
#include "programmer/programming/OfflineSettings.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace halden {

class AdapterUi;
class OfflineSettingsEditor;
class PartSettings;
class TextMessage;

// Stores the project in the adapter, so that the adapter programs chips without a PC:
// open the adapter, check its firmware, let the user set the off-line options, send the
// project header and the code, read the stored code back and compare it, close.
class UpdateProgrammer {
public:
    enum class Result {
        Ok,         // "Update Programmer ok !"
        Failed,     // a failure the user was told about, or that ended it silently
        Abandoned,  // the options were not accepted, or the code buffer is empty
        NotCapable, // the adapter cannot hold an off-line project: nothing was stored
        Busy,       // another adapter operation was running: nothing ran
    };

    using CodeSource = std::function<std::vector<std::uint8_t>()>;

    UpdateProgrammer(AdapterLink& link, PartSettings& part, CodeSource code,
                     OfflineSettingsEditor& editor, AdapterUi& ui, const TextMessage& messages,
                     TransferObserver& observer, bool& busy)
        : link_(link), part_(part), code_(std::move(code)), editor_(editor), ui_(ui),
          messages_(messages), observer_(observer), busy_(busy) {}

    Result run();
    // Whether the firmware check started an upgrade, which now owns the link.
    bool upgradeStarted() const { return upgradeStarted_; }
    // What the last run sent: the settings as accepted, the header and the code.
    const OfflineSettings& settings() const { return settings_; }
    const std::vector<std::uint8_t>& header() const { return header_; }
    const std::vector<std::uint8_t>& code() const { return code_bytes_; }

private:
    Result download();
    // Step 10: the stored code read back and compared; false also when nothing could be
    // read, since the adapter is then not known to hold the code.
    bool storedCodeMatches(CommandProtocol& protocol);

    AdapterLink& link_;
    PartSettings& part_;
    CodeSource code_;
    OfflineSettingsEditor& editor_;
    AdapterUi& ui_;
    const TextMessage& messages_;
    TransferObserver& observer_;
    bool& busy_;
    bool upgradeStarted_ = false;
    OfflineSettings settings_;
    std::vector<std::uint8_t> header_;
    std::vector<std::uint8_t> code_bytes_;
};

} // namespace halden
