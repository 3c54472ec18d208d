#pragma once

#include "programmer/programming/AdapterFirmwareCheck.h"
#include "programmer/programming/CommandProtocol.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace halden {

class AdapterUi;
class PartSettings;
class TextMessage;

// Programs the target chip through the adapter: open the adapter, check its firmware,
// open and identify the target, erase, program and verify the code buffer, program the
// option bytes, close. The window's button and the command line run this same sequence.
class UpdateTarget {
public:
    enum class Result {
        Ok,     // "Update Target ok !"
        Failed, // a failure the user was told about, or that ended it silently
        Busy,   // another adapter operation was running: nothing ran
    };

    using CodeSource = std::function<std::vector<std::uint8_t>()>;

    UpdateTarget(AdapterLink& link, PartSettings& part, CodeSource code, AdapterUi& ui,
                 const TextMessage& messages, TransferObserver& observer, bool& busy)
        : link_(link), part_(part), code_(std::move(code)), ui_(ui), messages_(messages),
          observer_(observer), busy_(busy) {}

    Result run();
    // Whether the firmware check started an upgrade, which now owns the link.
    bool upgradeStarted() const { return upgradeStarted_; }

private:
    Result sequence(CommandProtocol& protocol);
    Result finish(CommandProtocol& protocol, int optionResult);
    void close();

    AdapterLink& link_;
    PartSettings& part_;
    CodeSource code_;
    AdapterUi& ui_;
    const TextMessage& messages_;
    TransferObserver& observer_;
    bool& busy_;
    bool upgradeStarted_ = false;
};

} // namespace halden
