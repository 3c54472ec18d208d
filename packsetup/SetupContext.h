#pragma once

#include <string>

namespace halden {

class DesktopOpener;
class LinkLibrary;
class MessageService;

// What the setup window gets from start-up.
struct SetupContext {
    MessageService& messages;
    // Opens the device family pack with the desktop's application for it.
    DesktopOpener& desktop;
    // The program's own folder: the driver's source and the pack lie there.
    std::string programFolder;
    // The link library, loaded only when it lies beside the program; null or not loaded
    // otherwise, and then nothing of it is bound.
    const LinkLibrary* linkLibrary = nullptr;
};

} // namespace halden
