#pragma once

#include "programmer/programming/AdapterFirmwareCheck.h"

#include <string>
#include <string_view>

namespace halden {

class AdapterUi;
class UiText;

// Follows the adapter: the probe shortly after start-up, and the arrivals and removals
// of HID device interfaces, which it tells apart by their path's prefix.
class AdapterDetection {
public:
    enum class PathKind { Other, Programmer, NeedsFirmware, Recovery, BootLoader };

    AdapterDetection(AdapterLink& link, AdapterUi& ui, const UiText& text)
        : link_(link), ui_(ui), firmware_(link, ui, text) {}

    // The path's adapter state, compared case-insensitively over each prefix.
    static PathKind classify(std::string_view path);

    // The one probe after start-up; forcedUpgrade: the program was started to upgrade.
    void probe();
    void arrived(const std::string& path);
    // True when the boot loader left the bus during an upgrade (the upgrade waits for it).
    bool removed(const std::string& path);

    bool forcedUpgrade() const { return forcedUpgrade_; }
    void setForcedUpgrade(bool forced) { forcedUpgrade_ = forced; }
    // While an upgrade runs, programmer-mode arrivals get no firmware check.
    void setUpgradeInProgress(bool running) { upgradeInProgress_ = running; }
    bool upgradeStarted() const { return firmware_.upgradeStarted(); }

private:
    void forcedCheck();

    AdapterLink& link_;
    AdapterUi& ui_;
    AdapterFirmwareCheck firmware_;
    bool forcedUpgrade_ = false;
    bool upgradeInProgress_ = false;
};

} // namespace halden
