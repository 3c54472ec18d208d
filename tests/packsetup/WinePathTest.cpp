#include "packsetup/WinePath.h"

#include "packsetup/KeilFolderSearch.h"
#include "tests/packsetup/KeilFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace halden {
namespace {

namespace fs = std::filesystem;

TEST(WinePath, DriveLettersMapThroughThePrefixThatHoldsTheFile) {
    test::KeilFixture f;
    const fs::path driveC = fs::canonical(f.prefix / "drive_c");
    test::TempDir elsewhere;
    struct Case {
        std::string windowsPath;
        std::optional<fs::path> host;
    } cases[] = {
        {"C:\\Keil_v5\\ARM\\BIN\\M3_Tavro.dll", driveC / "Keil_v5/ARM/Bin/M3_Tavro.dll"},
        {"c:\\KEIL_V5\\arm\\bin\\", driveC / "Keil_v5/ARM/Bin"},
        {"C:/Keil_v5/New Folder/x.dll", driveC / "Keil_v5/New Folder/x.dll"},
        {"C:\\Keil_v5\\..\\Keil_v5\\TOOLS.INI", driveC / "Keil_v5/TOOLS.INI"},
        {"D:\\Keil_v5", std::nullopt}, // the prefix has no drive D:
        {"Keil_v5\\ARM", std::nullopt},
        {"\\\\server\\share\\ARM", std::nullopt},
        {"/opt/keil/ARM/", fs::path("/opt/keil/ARM/")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowsPath);
        EXPECT_EQ(WinePath::toHost(c.windowsPath, f.toolsIni), c.host);
    }
    // A prefix made by hand, without dosdevices, is found by its drive_c.
    elsewhere.write("bare/drive_c/Keil_v5/TOOLS.INI", "");
    EXPECT_EQ(
        WinePath::toHost("C:\\KEIL_V5\\tools.ini", elsewhere / "bare/drive_c/Keil_v5/TOOLS.INI"),
        fs::canonical(elsewhere / "bare/drive_c") / "Keil_v5/TOOLS.INI");
    // Without a prefix above the file, WINEPREFIX stands in; without that, ~/.wine.
    const std::string file = (elsewhere / "TOOLS.INI").string();
    setenv("WINEPREFIX", f.prefix.c_str(), 1);
    EXPECT_EQ(WinePath::toHost("C:\\Keil_v5", file), driveC / "Keil_v5");
    unsetenv("WINEPREFIX");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", elsewhere.path().c_str(), 1);
    EXPECT_EQ(WinePath::toHost("C:\\Keil_v5", file), std::nullopt);
    setenv("HOME", home.c_str(), 1);
}

TEST(KeilFolderSearch, FindsInstallationAndLocalDataFolders) {
    test::KeilFixture f;
    f.dir.write("wine/drive_c/users/bench/AppData/Local/Keil_v5/tools.ini", "[ARMADS]\r\n");
    f.dir.write("wine/drive_c/Program Files (x86)/Keil_v4/TOOLS.INI", "[ARMADS]\r\n");
    f.dir.write("wine/drive_c/Other/readme.txt", "");
    f.dir.write("bottle/drive_c/Keil/TOOLS.INI", "[ARMADS]\r\n");

    const auto found = KeilFolderSearch::find({f.prefix, f.dir / "bottle"});
    std::vector<std::string> folders;
    for (const auto& entry : found) {
        folders.push_back(entry.folder.lexically_relative(f.dir.path()).string());
    }
    EXPECT_EQ(folders, (std::vector<std::string>{"wine/drive_c/Keil_v5",
                                                 "wine/drive_c/Program Files (x86)/Keil_v4",
                                                 "wine/drive_c/users/bench/AppData/Local/Keil_v5",
                                                 "bottle/drive_c/Keil"}));
    EXPECT_EQ(found[2].toolsIni.filename(), "tools.ini");
    EXPECT_EQ(found[3].prefix, f.dir / "bottle");

    // The user's prefixes: WINEPREFIX, ~/.wine and those kept under ~/.local/share.
    f.dir.write("home/.wine/drive_c/x", "");
    f.dir.write("home/.local/share/wineprefixes/keil/drive_c/x", "");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", (f.dir / "home").c_str(), 1);
    setenv("WINEPREFIX", f.prefix.c_str(), 1);
    const auto prefixes = KeilFolderSearch::userPrefixes();
    unsetenv("WINEPREFIX");
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(prefixes, (std::vector<fs::path>{
                            fs::canonical(f.prefix), fs::canonical(f.dir / "home/.wine"),
                            fs::canonical(f.dir / "home/.local/share/wineprefixes/keil")}));
}

} // namespace
} // namespace halden
