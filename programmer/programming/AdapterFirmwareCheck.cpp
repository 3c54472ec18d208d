#include "programmer/programming/AdapterFirmwareCheck.h"

#include "programmer/programming/AdapterUi.h"
#include "programmer/text/UiText.h"

namespace halden {

bool AdapterFirmwareCheck::CheckAdapterFirmware(int mode) {
    upgradeStarted_ = false;
    if (!link_.bound()) {
        return false;
    }
    if (mode != 0) {
        // The adapter in a mode that needs new firmware: open it for the upgrade, whatever
        // the result, and offer the upgrade without a way round it.
        link_.openRecovery();
        upgradeStarted_ = ui_.showFirmwareWarning(true);
        return false;
    }
    ui_.setStatusText(text_.text(1126));
    ui_.wait(std::chrono::milliseconds(500));
    int mismatch = 0;
    bool matches = false;
    if (link_.checkFirmware(mismatch) == 0) {
        if (mismatch != 0) {
            upgradeStarted_ = ui_.showFirmwareWarning(false);
        } else {
            if (!link_.offlineCapable()) {
                ui_.disableUpdateProgrammer();
            }
            matches = true;
        }
    }
    ui_.setStatusText(u"");
    return matches;
}

} // namespace halden
