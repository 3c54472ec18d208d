#pragma once

#include "adapter/LinkLibrary.h"

#include <cstdint>
#include <string>

namespace halden {

class DesktopOpener;
class MessageService;

// The setup tool's application object: finds its own folder, loads the link library when
// it lies there, and runs the window. It keeps no settings.
class SetupApp {
public:
    SetupApp(MessageService& messages, DesktopOpener& desktop)
        : messages_(messages), desktop_(desktop) {}

    // Start-up and the window's run, from the program's own path: 0 once the window has
    // closed, or the system error code that ended start-up before any window.
    std::uint32_t InitInstance();
    std::uint32_t InitInstance(const std::string& programPath);

    // The running program's path (/proc/self/exe): 0, or the system error code.
    static std::uint32_t programPath(std::string& path);
    // The folder of a path: up to its last separator; empty when it has none.
    static std::string folderOf(const std::string& path);
    // Loads M3_Tavro.so when it lies in folder; a missing or unloadable file leaves the
    // library unloaded, without a word.
    bool loadLinkLibrary(const std::string& folder);
    const LinkLibrary& linkLibrary() const { return linkLibrary_; }

private:
    MessageService& messages_;
    DesktopOpener& desktop_;
    LinkLibrary linkLibrary_;
};

} // namespace halden
