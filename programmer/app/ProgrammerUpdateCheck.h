#pragma once

#include "programmer/update/UpdateCheck.h"

#include <string>

namespace halden {

class DesktopOpener;
class MessageService;
class SettingsStore;
class WebDownloader;

// The update check as the programmer runs it, at start-up and from the system menu: its
// own product version, the temporary file's fallback beside the program, and Qt Network and
// the desktop's browser unless others are given.
class ProgrammerUpdateCheck {
public:
    static UpdateCheck::Outcome run(UpdateCheck::Mode mode, MessageService& messages,
                                    SettingsStore& settings, const std::string& programPath,
                                    WebDownloader* downloader = nullptr,
                                    DesktopOpener* opener = nullptr);
};

} // namespace halden
