#include "programmer/app/ProgrammerUpdateCheck.h"

#include "common/qt/QtDesktopOpener.h"
#include "programmer/app/BusyCursorDownloader.h"
#include "programmer/update/ProductVersion.h"
#include "programmer/update/qt/QtWebDownloader.h"

namespace halden {

UpdateCheck::Outcome ProgrammerUpdateCheck::run(UpdateCheck::Mode mode, MessageService& messages,
                                                SettingsStore& settings,
                                                const std::string& programPath,
                                                WebDownloader* downloader, DesktopOpener* opener) {
    QtWebDownloader network;
    QtDesktopOpener desktop;
    BusyCursorDownloader busy(downloader != nullptr ? *downloader : network);
    UpdateCheck check({busy, messages, settings, opener != nullptr ? *opener : desktop},
                      ProductVersion::number());
    const auto slash = programPath.find_last_of('/');
    if (slash != std::string::npos) {
        check.setFallbackFolder(programPath.substr(0, slash));
    }
    return check.run(mode);
}

} // namespace halden
