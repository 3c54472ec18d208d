#include "programmer/programming/AdapterOpening.h"

#include "adapter/AdapterLink.h"
#include "programmer/programming/AdapterFirmwareCheck.h"
#include "programmer/programming/AdapterUi.h"
#include "programmer/text/TextMessage.h"

namespace halden {

bool AdapterOpening::open(AdapterLink& link, AdapterUi& ui, const TextMessage& messages,
                          bool& upgradeStarted) {
    constexpr MessageStyle kError{MessageButtons::Ok, MessageIcon::Error};
    upgradeStarted = false;
    if (!link.bound()) {
        messages.ShowTextMessage(1101, 1110, kError);
        return false;
    }
    if (link.isOpen()) {
        link.close();
    }
    const int opened = link.openProgrammer();
    ui.setStatusText(u"");
    if (opened != 0) {
        messages.ShowTextMessage(1101, 1110, kError);
        link.close();
        return false;
    }
    AdapterFirmwareCheck firmware(link, ui, messages.text());
    if (!firmware.CheckAdapterFirmware(0)) {
        upgradeStarted = firmware.upgradeStarted();
        ui.showFilePath();
        if (!upgradeStarted) {
            link.close();
        }
        return false;
    }
    return true;
}

} // namespace halden
