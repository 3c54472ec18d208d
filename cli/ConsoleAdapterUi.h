#pragma once

#include "programmer/programming/AdapterUi.h"

#include <ostream>
#include <string>

namespace halden {

class UiText;

// The adapter operations' window side on a console: status texts are dropped (they
// only decorate the window), a firmware mismatch is told and not upgraded.
class ConsoleAdapterUi : public AdapterUi {
public:
    ConsoleAdapterUi(std::ostream& err, const UiText& text) : err_(err), text_(text) {}

    void setStatusText(std::u16string_view) override {}
    void showFilePath() override {}
    bool showFirmwareWarning(bool forced) override;
    void disableUpdateProgrammer() override { programmerDisabled_ = true; }
    void wait(std::chrono::milliseconds duration) override;

    bool programmerDisabled() const { return programmerDisabled_; }
    // The firmware warning's text as it was told; empty when none was.
    const std::string& warning() const { return warning_; }

private:
    std::ostream& err_;
    const UiText& text_;
    bool programmerDisabled_ = false;
    std::string warning_;
};

} // namespace halden
