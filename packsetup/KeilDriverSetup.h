#pragma once

#include "common/ProfileIni.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halden {

class DesktopOpener;

// Registers the adapter's driver with a Keil MDK installation and takes the registration
// back: in TOOLS.INI's [ARMADS] section a TDRV key naming the driver, offered in the
// SARMCM3.DLL CPU list; the driver copied into Keil's BIN folder; the device family pack
// beside this program opened with the desktop's application for it.
//
// TOOLS.INI is Keil's own file: it is edited through ProfileIni, so every line this class
// does not change keeps its bytes. Values are scanned as the setup tool always read them,
// in buffers of 260 characters; a value of 258 characters or more counts as cut off and is
// passed over. A rebuilt value is written whole, whatever its length.
//
// The operations return 0 or a system error code; Install and Uninstall say what they did
// in an Outcome, which the window does not show and the command line prints.
class KeilDriverSetup {
public:
    static constexpr const char* kToolsIniName = "TOOLS.INI";
    static constexpr const char* kSection = "ARMADS";
    static constexpr const char* kDriverKeyFamily = "TDRV";
    static constexpr const char* kCpuListKeyFamily = "CPUDLL";
    static constexpr const char* kCpuLibrary = "SARMCM3.DLL";
    static constexpr const char* kPathKey = "PATH";
    static constexpr const char* kDriverFileName = "M3_Tavro.dll";
    static constexpr const char* kDriverValue = "BIN\\M3_Tavro.dll(\"Tavro Cortex-M3 Debugger\")";
    // Keys numbered 0 to kKeyCount - 1 of a family are scanned.
    static constexpr int kKeyCount = 256;
    static constexpr std::size_t kValueBuffer = 260;

    // What one Install or Uninstall did.
    struct Outcome {
        // 0, or why it ended before it changed anything: no folder text (267), no
        // TOOLS.INI (2 or 3), a TOOLS.INI larger than ProfileIni::kMaxFileSize (223), no
        // [ARMADS] section (1168), no free TDRV key (1168).
        std::uint32_t error = 0;
        std::string toolsIni;   // the TOOLS.INI path, once found
        std::string driverKey;  // the TDRV key written, found or removed; empty when none
        std::string cpuListKey; // the CPUDLL key whose list was rewritten; empty when none
        std::string driverPath; // the driver in Keil's BIN folder; empty when PATH is missing
        bool driverCopied = false;
        bool driverSourceMissing = false; // no M3_Tavro.dll beside the program
        bool driverDeleted = false;
        std::string pack; // the pack handed to the desktop; empty when none lies beside us
        // A sentence for the user when something did not happen as asked; empty otherwise.
        std::string note;
    };

    // programFolder: where the driver's source and the pack lie (the program's folder).
    KeilDriverSetup(std::string programFolder, DesktopOpener& opener);

    Outcome Install(std::string_view folderText);
    Outcome Uninstall(std::string_view folderText);
    // The same on a TOOLS.INI already located (the folder forms locate it, then run these).
    Outcome Install(ProfileIni& toolsIni);
    Outcome Uninstall(ProfileIni& toolsIni);

    // The path of TOOLS.INI in the folder the user gave; the name is matched without
    // regard to case, as under Wine.
    std::uint32_t LocateToolsIni(std::string_view folderText, std::string& toolsIni) const;
    static std::uint32_t HasArmadsSection(const ProfileIni& ini);
    // 0 and the key that names the driver, or 1168 and the anchor: the key before the first
    // free number ("TDRV-1" when TDRV0 is free); no anchor when every key is taken.
    static std::uint32_t FindDriverKey(const ProfileIni& ini, std::string& key,
                                       std::optional<int>& anchor);
    // Puts TDRV<newNumber> into the SARMCM3.DLL list (empty parentheses included); the key
    // rewritten, empty when none. Both edits take the first CPUDLL value that names the
    // library whole: at the value's start or after a path separator, before its list.
    static std::string InsertIntoCpuList(ProfileIni& ini, int newNumber);
    static std::string RemoveFromCpuList(ProfileIni& ini, std::string_view driverKey);
    // The [ARMADS] entries, read as the setup tool reads them (a buffer grown by 512
    // characters until 512 stay free).
    static std::vector<std::string> ReadArmadsSection(const ProfileIni& ini);
    // Writes "TDRV<anchor + 1>=value" directly after the anchor's line; the anchor -1 (no
    // TDRV0 line) puts it after the section's last entry.
    static std::uint32_t InsertDriverLine(ProfileIni& ini, const std::vector<std::string>& section,
                                          int anchor, std::string_view value);
    // Copies the driver from the program's folder to Keil's BIN folder.
    bool CopyLinkLibrary(const ProfileIni& ini, Outcome& outcome) const;
    // Hands the first *.pack beside the program (in name order) to the desktop.
    std::string OpenPack() const;

    // Keil's BIN\M3_Tavro.dll as a path of this system, from [ARMADS] PATH; empty when
    // PATH is missing or cannot be mapped.
    static std::string driverDestination(const ProfileIni& ini);

private:
    // The outcome of an operation on TOOLS.INI, when it holds an [ARMADS] section; else why
    // not, in outcome.error.
    static Outcome opened(const ProfileIni& toolsIni);

    std::string programFolder_;
    DesktopOpener& opener_;
};

} // namespace halden
