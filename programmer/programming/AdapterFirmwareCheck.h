#pragma once

#include "adapter/AdapterLink.h"

namespace halden {

class AdapterUi;
class UiText;

// Compares the adapter's firmware with the link library's, in normal mode (an adapter in
// programmer mode) or forced mode (an adapter that needs new firmware).
class AdapterFirmwareCheck {
public:
    AdapterFirmwareCheck(AdapterLink& link, AdapterUi& ui, const UiText& text)
        : link_(link), ui_(ui), text_(text) {}

    // True only when the firmware matches. A mismatch, or forced mode, offers the
    // upgrade; `upgradeStarted()` then tells whether the user took it.
    bool CheckAdapterFirmware(int mode);
    bool upgradeStarted() const { return upgradeStarted_; }

private:
    AdapterLink& link_;
    AdapterUi& ui_;
    const UiText& text_;
    bool upgradeStarted_ = false;
};

} // namespace halden
