#pragma once

#include "programmer/app/CommandLine.h"

#include <cstdint>
#include <string>

namespace halden {

class Clock;
class DesktopOpener;
class LinkLibrary;
class MessageService;
class SettingsStore;
class WebDownloader;
class WindowClass;

// What start-up hands to the main window: the services it works through and the
// values start-up found. The tests build one around the real libraries.
struct ProgrammerContext {
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
    // Opens saved pictures and the download page with the desktop's default application;
    // null: the desktop's own.
    DesktopOpener* desktop = nullptr;
    // The program file's base name: the caption of messages that have no caption of their own.
    std::u16string applicationName = u"Halden_Programmer";
    // The UI texts' language: text table 256 + languageIndex.
    std::uint16_t languageIndex = 0;
    // The update check's download; null: Qt Network.
    WebDownloader* downloader = nullptr;
};

} // namespace halden
