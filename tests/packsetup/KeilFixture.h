#pragma once

#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace halden::test {

// A TOOLS.INI as an MDK 5 installation under Wine keeps it: CR LF lines, a Latin-1 byte
// (0xB5) in a value, PATH quoted with its trailing backslash, CPUDLL values with their
// comment tails, and driver lists in both [ARM] and [ARMADS].
inline std::string realisticToolsIni() {
    const std::vector<std::string> lines = {
        "[UV2]",
        "ORGANISATION=\"Halden Test Bench\"",
        "NAME=\"Bench user\", \"\xB5Vision bench\"",
        "RTEPATH=\"C:\\Keil_v5\\ARM\\PACK\"",
        "VERSION=5.38",
        "",
        "[C51]",
        "PATH=\"C:\\Keil_v5\\C51\\\"",
        "BOOK0=HLP\\Release_Notes.htm(\"Release Notes\")",
        "",
        "[ARM]",
        "PATH=\"C:\\Keil_v5\\ARM\\\"",
        "SARM=1",
        "CPUDLL0=SARM.DLL(TDRV0,TDRV1)       # Drivers for ARM7/9 devices",
        "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1)    # Drivers for Cortex-M devices",
        "TDRV0=BIN\\SIMPROBE.DLL(\"Bench Probe Debugger\")",
        "TDRV1=BIN\\TRACEPOD.DLL(\"Trace Pod Cortex Debugger\")",
        "",
        "[ARMADS]",
        "PATH=\"C:\\Keil_v5\\ARM\\\"",
        "PATH1=\"C:\\Program Files (x86)\\Bench Tools\\\"",
        "TOOL_VARIANT=mdk_plus",
        "CPUDLL0=SARM.DLL(TDRV0,TDRV1)       # Drivers for ARM7/9 devices",
        "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1,TDRV2)    # Drivers for Cortex-M devices",
        "CPUDLL2=SARMV8M.DLL(TDRV0,TDRV2)    # Drivers for ARMv8-M devices",
        "BOOK0=HLP\\RELEASE_NOTES.HTM(\"Release Notes\",GEN)",
        "TDRV0=BIN\\SIMPROBE.DLL(\"Bench Probe Debugger\")",
        "TDRV1=BIN\\TRACEPOD.DLL(\"Trace Pod Cortex Debugger\")",
        "TDRV2=BIN\\DAPAGENT.dll(\"Debug Access Port Debugger\")",
        "DELDRVPKG0=ULINKplus\\Uninstall.exe",
        "",
        "[UV2_HISTORY]",
        "LAST0=C:\\bench\\blinky.uvprojx",
    };
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// The same text with one line replaced, or (insertAfter) one line added after it.
inline std::string withLine(std::string text, const std::string& line,
                            const std::string& replacement, bool insertAfter = false) {
    const std::string whole = line + "\r\n";
    const auto at = text.find(whole);
    if (at == std::string::npos) {
        return "(no line " + line + ")";
    }
    text.replace(at, whole.size(),
                 insertAfter ? whole + replacement + "\r\n" : replacement + "\r\n");
    return text;
}

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A Wine prefix holding an MDK installation, and a program folder with the driver and a
// pack beside the program.
struct KeilFixture {
    TempDir dir;
    std::filesystem::path prefix = dir / "wine";
    std::filesystem::path mdk = prefix / "drive_c" / "Keil_v5";
    std::filesystem::path toolsIni = mdk / "TOOLS.INI";
    // Wine keeps the letters it was given: BIN here is "Bin".
    std::filesystem::path binFolder = mdk / "ARM" / "Bin";
    std::filesystem::path program = dir / "program";
    std::string driverBytes = std::string("MZ\x90\0driver", 10);

    explicit KeilFixture(const std::string& toolsIniText = realisticToolsIni()) {
        std::filesystem::create_directories(prefix / "dosdevices");
        std::filesystem::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
        std::filesystem::create_directories(binFolder);
        dir.write("wine/drive_c/Keil_v5/TOOLS.INI", toolsIniText);
        dir.write("program/M3_Tavro.dll", driverBytes);
        dir.write("program/Corvane.M3_DFP.1.0.0.pack", "PK");
    }
    std::filesystem::path driver() const { return binFolder / "M3_Tavro.dll"; }
    std::filesystem::path pack() const { return program / "Corvane.M3_DFP.1.0.0.pack"; }
};

} // namespace halden::test
