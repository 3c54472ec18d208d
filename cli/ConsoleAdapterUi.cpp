#include "cli/ConsoleAdapterUi.h"

#include "common/Unicode.h"
#include "programmer/text/UiText.h"

#include <thread>

namespace halden {

bool ConsoleAdapterUi::showFirmwareWarning(bool forced) {
    warning_ =
        Unicode::toUtf8(text_.text(1131)) + (forced ? " (the adapter needs new firmware)" : "");
    err_ << '[' << Unicode::toUtf8(text_.text(1107)) << "] " << warning_ << '\n';
    return false;
}

void ConsoleAdapterUi::wait(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

} // namespace halden
