#include "programmer/programming/AdapterDetection.h"

#include "adapter/hid/HidDevicePath.h"
#include "adapter/wire/TavroProduct.h"
#include "programmer/programming/AdapterUi.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace halden {

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

AdapterDetection::PathKind AdapterDetection::classify(std::string_view path) {
    static const std::array<std::pair<std::string, PathKind>, 4> kPrefixes = {{
        {HidDevicePath::prefix(kTavroVendorId, PRODUCT_PROGRAMMER), PathKind::Programmer},
        {HidDevicePath::prefix(kTavroVendorId, PRODUCT_NEEDS_FIRMWARE), PathKind::NeedsFirmware},
        {HidDevicePath::prefix(kTavroVendorId, PRODUCT_RECOVERY), PathKind::Recovery},
        {HidDevicePath::prefix(kTavroVendorId, PRODUCT_BOOT_LOADER), PathKind::BootLoader},
    }};
    for (const auto& [prefix, kind] : kPrefixes) {
        if (startsWithIgnoringCase(path, prefix)) {
            return kind;
        }
    }
    return PathKind::Other;
}

void AdapterDetection::forcedCheck() {
    ui_.setStatusText(u"");
    forcedUpgrade_ = true;
    firmware_.CheckAdapterFirmware(1);
}

void AdapterDetection::probe() {
    if (!link_.bound()) {
        return;
    }
    const bool recovery = link_.openRecovery() == 0;
    ui_.setStatusText(u"");
    if (recovery) {
        forcedUpgrade_ = true;
        firmware_.CheckAdapterFirmware(1);
    } else if (link_.openProgrammer() == 0) {
        firmware_.CheckAdapterFirmware(forcedUpgrade_ ? 1 : 0);
    } else if (link_.openBootLoader() == 0) {
        // Left in its boot loader by an upgrade that did not finish.
        forcedCheck();
    }
    if (!firmware_.upgradeStarted()) {
        link_.close();
    }
    // The probe emptied the pane: the loaded file's path comes back.
    ui_.showFilePath();
}

void AdapterDetection::arrived(const std::string& path) {
    if (!link_.bound()) {
        return;
    }
    switch (classify(path)) {
    case PathKind::Programmer:
        if (!upgradeInProgress_) {
            const bool opened = link_.openProgrammer() == 0;
            ui_.setStatusText(u"");
            if (opened) {
                firmware_.CheckAdapterFirmware(0);
            }
            if (!firmware_.upgradeStarted()) {
                link_.close();
            }
        }
        break;
    case PathKind::NeedsFirmware:
    case PathKind::Recovery:
        forcedCheck();
        break;
    case PathKind::BootLoader:
        // An adapter left in its boot loader (an upgrade that did not finish, replugged)
        // gets the forced upgrade; during an upgrade this is the upgrade's own switch.
        if (!upgradeInProgress_) {
            forcedCheck();
        }
        break;
    default:
        break;
    }
    ui_.showFilePath();
}

bool AdapterDetection::removed(const std::string& path) {
    ui_.showFilePath();
    return classify(path) == PathKind::BootLoader && upgradeInProgress_;
}

} // namespace halden
