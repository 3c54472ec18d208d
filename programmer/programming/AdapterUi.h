#pragma once

#include <chrono>
#include <string_view>

namespace halden {

// What the adapter operations ask of the program around them: the status pane, the
// firmware warning, the Update Programmer button, and a wait that keeps the window alive.
class AdapterUi {
public:
    virtual ~AdapterUi() = default;

    // Shows a short text in the status pane; an empty text empties it.
    virtual void setStatusText(std::u16string_view text) = 0;
    // Puts the loaded file's path back in the status pane.
    virtual void showFilePath() = 0;
    // The firmware warning dialog, forced or normal; true when the user started the
    // upgrade, which then owns the link.
    virtual bool showFirmwareWarning(bool forced) = 0;
    // The adapter cannot hold an off-line project: Update Programmer stays disabled.
    virtual void disableUpdateProgrammer() = 0;
    // Waits while the window goes on handling its events.
    virtual void wait(std::chrono::milliseconds duration) = 0;
};

} // namespace halden
