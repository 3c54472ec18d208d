#pragma once

#include "CommandLine.h"

#include <string>

namespace halden {

class Clock;
class DesktopOpener;
class LinkLibrary;
class MessageService;
class SettingsStore;
class UiText;
class WebDownloader;
class WindowClass;

// What start-up hands to the main window: the services it works through and the
// values start-up found. The tests build one around the real tables and libraries.
struct ProgrammerContext {
    const UiText& text;
    MessageService& messages;
    SettingsStore& settings;
    // The loaded link library; null when the window runs without one.
    const LinkLibrary* linkLibrary = nullptr;
    // The window class HEXEDIT10 that the HexEdit library registered.
    WindowClass* hexEditClass = nullptr;
    CommandLine::Values commandLine;
    // The clock for save times and project keys; null: the machine's clock.
    const Clock* clock = nullptr;
    // The program's own full path: the first suggestion of the save dialog.
    std::string programPath{};
    // The program file's base name: the caption of messages that have no caption of their own.
    std::u16string applicationName = u"Halden_Programmer";
    // The update check's download and the desktop that opens the download page; null:
    // Qt Network and the desktop's browser.
    WebDownloader* downloader = nullptr;
    DesktopOpener* opener = nullptr;
};

} // namespace halden
