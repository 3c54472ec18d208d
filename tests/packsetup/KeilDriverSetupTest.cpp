#include "packsetup/KeilDriverSetup.h"

#include "common/DesktopOpener.h"
#include "common/SystemError.h"
#include "tests/packsetup/KeilFixture.h"
#include "tests/support/RecordingDesktopOpener.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace halden {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;
using test::KeilFixture;
using test::withLine;

using RecordingOpener = test::RecordingDesktopOpener;

constexpr const char* kDriverLine = "TDRV3=BIN\\M3_Tavro.dll(\"Tavro Cortex-M3 Debugger\")";

std::string section(const std::vector<std::string>& lines) {
    std::string text = "[ARMADS]\r\nPATH=\"C:\\Keil_v5\\ARM\\\"\r\n";
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::string driverLine(int number) {
    return "TDRV" + std::to_string(number) + "=BIN\\X" + std::to_string(number) + ".DLL(\"D\")";
}

std::vector<std::string> driverLines(std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<std::string> lines;
    for (const auto& [first, last] : ranges) {
        for (int n = first; n <= last; ++n) {
            lines.push_back(driverLine(n));
        }
    }
    return lines;
}

struct KeilRun {
    explicit KeilRun(const std::string& toolsIni = test::realisticToolsIni()) : fixture(toolsIni) {}
    KeilFixture fixture;
    RecordingOpener opener;
    KeilDriverSetup setup{fixture.program.string(), opener};
    std::string folder() const { return fixture.mdk.string(); }
};

TEST(KeilDriverSetup, InstallRegistersCopiesAndOpensAndUninstallGivesTheBytesBack) {
    KeilRun s;
    const std::string original = fileBytes(s.fixture.toolsIni);

    const auto installed = s.setup.Install(s.folder());
    EXPECT_EQ(installed.error, 0u);
    EXPECT_EQ(installed.driverKey, "TDRV3");
    EXPECT_EQ(installed.cpuListKey, "CPUDLL1");
    std::string expected = withLine(
        original, "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1,TDRV2)    # Drivers for Cortex-M devices",
        "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1,TDRV2,TDRV3)    # Drivers for Cortex-M devices");
    expected = withLine(expected, "TDRV2=BIN\\DAPAGENT.dll(\"Debug Access Port Debugger\")",
                        kDriverLine, true);
    EXPECT_EQ(fileBytes(s.fixture.toolsIni), expected);
    EXPECT_TRUE(installed.driverCopied);
    EXPECT_EQ(fs::path(installed.driverPath), fs::canonical(s.fixture.driver()));
    EXPECT_EQ(fileBytes(s.fixture.driver()), s.fixture.driverBytes);
    EXPECT_EQ(s.opener.opened, (std::vector<std::string>{s.fixture.pack().string()}));

    const auto removed = s.setup.Uninstall(s.folder());
    EXPECT_EQ(removed.driverKey, "TDRV3");
    EXPECT_EQ(removed.cpuListKey, "CPUDLL1");
    EXPECT_TRUE(removed.driverDeleted);
    EXPECT_EQ(fileBytes(s.fixture.toolsIni), original);
    EXPECT_FALSE(fs::exists(s.fixture.driver()));
    EXPECT_EQ(s.opener.opened.size(), 1u) << "Uninstall opens no pack";
}

// A TOOLS.INI held in memory under the file's name is edited as the file is, and the
// driver and pack are handled alike; the file itself is not touched.
TEST(KeilDriverSetup, AHeldToolsIniGetsWhatTheFileGets) {
    KeilRun onDisk;
    const auto installed = onDisk.setup.Install(onDisk.folder());
    const std::string afterInstall = fileBytes(onDisk.fixture.toolsIni);

    KeilRun held;
    const std::string original = fileBytes(held.fixture.toolsIni);
    auto ini = ProfileIni::held(held.fixture.toolsIni.string(), original);
    const auto heldInstall = held.setup.Install(ini);
    EXPECT_EQ(*ini.heldBytes(), afterInstall);
    EXPECT_EQ(heldInstall.driverKey, installed.driverKey);
    EXPECT_EQ(heldInstall.cpuListKey, installed.cpuListKey);
    EXPECT_EQ(heldInstall.toolsIni, held.fixture.toolsIni.string());
    EXPECT_TRUE(heldInstall.driverCopied);
    EXPECT_EQ(held.opener.opened.size(), 1u);

    const auto removed = held.setup.Uninstall(ini);
    EXPECT_TRUE(removed.driverDeleted);
    EXPECT_EQ(*ini.heldBytes(), original);
    EXPECT_EQ(fileBytes(held.fixture.toolsIni), original);
    // Without an [ARMADS] section it stops before anything, as for a file.
    auto bare = ProfileIni::held("TOOLS.INI", "[UV2]\r\n");
    EXPECT_EQ(held.setup.Install(bare).error, SystemError::kNotFound);
    EXPECT_EQ(*bare.heldBytes(), "[UV2]\r\n");
}

TEST(KeilDriverSetup, InstallTwiceRewritesTheEntryOnly) {
    KeilRun s;
    s.setup.Install(s.folder());
    const std::string once = fileBytes(s.fixture.toolsIni);
    // A driver entry the user's Keil rewrote keeps its place and number.
    const std::string edited = withLine(once, kDriverLine, "TDRV3=BIN\\M3_Tavro.dll(\"renamed\")");
    s.fixture.dir.write("wine/drive_c/Keil_v5/TOOLS.INI", edited);
    fs::remove(s.fixture.driver());

    const auto again = s.setup.Install(s.folder());
    EXPECT_EQ(again.driverKey, "TDRV3");
    EXPECT_EQ(again.cpuListKey, "");
    EXPECT_EQ(fileBytes(s.fixture.toolsIni), once);
    EXPECT_TRUE(fs::exists(s.fixture.driver()));
    EXPECT_EQ(s.opener.opened.size(), 2u);
}

// The driver as the only member: Uninstall leaves empty parentheses, and the next Install
// lists the driver again in them. The library whose name ends in SARMCM3.DLL never changes.
TEST(KeilDriverSetup, InstallUninstallInstallOffersTheDriverEachTime) {
    KeilRun s(section({"CPUDLL0=XSARMCM3.DLL(TDRV0) #other", "CPUDLL1=SARMCM3.DLL() # M"}));
    const auto cpuList = [&s](const char* key) {
        return ProfileIni(s.fixture.toolsIni.string()).readString("ARMADS", key).value_or("");
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const auto installed = s.setup.Install(s.folder());
        EXPECT_EQ(installed.driverKey, "TDRV0");
        EXPECT_EQ(installed.cpuListKey, "CPUDLL1");
        EXPECT_EQ(cpuList("CPUDLL1"), "SARMCM3.DLL(TDRV0) # M");
        EXPECT_EQ(cpuList("CPUDLL0"), "XSARMCM3.DLL(TDRV0) #other");
        const auto removed = s.setup.Uninstall(s.folder());
        EXPECT_EQ(removed.cpuListKey, "CPUDLL1");
        EXPECT_EQ(cpuList("CPUDLL1"), "SARMCM3.DLL() # M");
        EXPECT_EQ(cpuList("CPUDLL0"), "XSARMCM3.DLL(TDRV0) #other");
    }
}

// The new key after the anchor, the key before the first free number; existing entries
// are found beyond gaps, and values the setup tool's buffer would cut are passed over.
TEST(KeilDriverSetup, InstallPlacesTheNewKey) {
    const std::string cut(260, 'x');
    struct Case {
        const char* name;
        std::vector<std::string> drivers;
        std::string cpuList;
        std::string key;
        std::string expectedList; // the CPUDLL0 value afterwards
        std::string after;        // the line the new one follows; empty: no new line
    } cases[] = {
        {"nine drivers", driverLines({{0, 8}}), "SARMCM3.DLL(TDRV0,TDRV4,TDRV8)  # M", "TDRV9",
         "SARMCM3.DLL(TDRV0,TDRV4,TDRV8,TDRV9)  # M", driverLine(8)},
        {"the gap", driverLines({{0, 4}, {6, 9}}), "SARMCM3.DLL(TDRV0,TDRV4,TDRV6,TDRV9)", "TDRV5",
         "SARMCM3.DLL(TDRV0,TDRV4,TDRV5,TDRV6,TDRV9)", driverLine(4)},
        {"the new key already listed", driverLines({{0, 1}}), "SARMCM3.DLL(TDRV1,TDRV2,TDRV3)",
         "TDRV2", "SARMCM3.DLL(TDRV1,TDRV2,TDRV3)", driverLine(1)},
        {"no TDRV0: after the last entry", driverLines({{1, 2}}), "SARMCM3.DLL(TDRV1,TDRV2)",
         "TDRV0", "SARMCM3.DLL(TDRV0,TDRV1,TDRV2)", "CPUDLL0=SARMCM3.DLL(TDRV0,TDRV1,TDRV2)"},
        {"an entry beyond the gap",
         {driverLine(0), "TDRV7=BIN\\M3_Tavro.dll(\"old\")"},
         "SARMCM3.DLL(TDRV0,TDRV7)",
         "TDRV7",
         "SARMCM3.DLL(TDRV0,TDRV7)",
         ""},
        {"a cut-off value is neither free nor examined",
         {driverLine(0), "TDRV1=M3_Tavro.dll" + cut, driverLine(2)},
         "SARMCM3.DLL(TDRV0)",
         "TDRV3",
         "SARMCM3.DLL(TDRV0,TDRV3)",
         driverLine(2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = c.drivers;
        lines.push_back("CPUDLL0=" + c.cpuList);
        KeilRun s(section(lines));
        const std::string before = fileBytes(s.fixture.toolsIni);
        const auto outcome = s.setup.Install(s.folder());
        EXPECT_EQ(outcome.driverKey, c.key);
        const ProfileIni ini(s.fixture.toolsIni.string());
        EXPECT_EQ(ini.readString("ARMADS", "CPUDLL0").value_or(""), c.expectedList);
        const std::string value = "BIN\\M3_Tavro.dll(\"Tavro Cortex-M3 Debugger\")";
        EXPECT_EQ(ini.readString("ARMADS", c.key).value_or(""), value);
        if (!c.after.empty()) {
            const std::string withList =
                withLine(before, "CPUDLL0=" + c.cpuList, "CPUDLL0=" + c.expectedList);
            EXPECT_EQ(
                fileBytes(s.fixture.toolsIni),
                withLine(withList,
                         c.after == "CPUDLL0=" + c.cpuList ? "CPUDLL0=" + c.expectedList : c.after,
                         c.key + "=" + value, true));
        }
    }
}

TEST(KeilDriverSetup, EveryKeyTakenLeavesTheFileAndSaysSo) {
    KeilRun s(section(driverLines({{0, 255}})) + "CPUDLL0=SARMCM3.DLL(TDRV0)\r\n");
    const std::string before = fileBytes(s.fixture.toolsIni);
    const auto outcome = s.setup.Install(s.folder());
    EXPECT_EQ(outcome.driverKey, "");
    EXPECT_NE(outcome.note.find("TDRV0 to TDRV255"), std::string::npos);
    EXPECT_EQ(fileBytes(s.fixture.toolsIni), before);
}

// The SARMCM3.DLL list: both edits take the first value naming the library whole (another
// library whose name ends in it is not touched); a value without a well-formed list is left
// alone, empty parentheses take the new key.
TEST(KeilDriverSetup, CpuListEdits) {
    struct Case {
        std::vector<std::string> lists; // CPUDLL0, CPUDLL1, ...
        bool remove;                    // Uninstall's edit; else Install's
        int number;                     // TDRV<number> inserted or removed
        std::string key;                // the key rewritten
        std::vector<std::string> expected;
    } cases[] = {
        {{"SARMCM3.DLL(TDRV0,TDRV1,TDRV5) # t"},
         false,
         3,
         "CPUDLL0",
         {"SARMCM3.DLL(TDRV0,TDRV1,TDRV3,TDRV5) # t"}},
        {{"SARMCM3.DLL(TDRV0,TDRV1,TDRV5)"},
         false,
         6,
         "CPUDLL0",
         {"SARMCM3.DLL(TDRV0,TDRV1,TDRV5,TDRV6)"}},
        {{"SARMCM3.DLL()  # t"}, false, 3, "CPUDLL0", {"SARMCM3.DLL(TDRV3)  # t"}},
        {{"SARMCM3.DLL TDRV0"}, false, 3, "", {"SARMCM3.DLL TDRV0"}},
        {{"SARMCM3.DLL)TDRV0("}, false, 3, "", {"SARMCM3.DLL)TDRV0("}},
        {{"XSARMCM3.DLL(TDRV0) #other", "SARMCM3.DLLX(TDRV0)", "SARMCM3.DLL(TDRV0)"},
         false,
         1,
         "CPUDLL2",
         {"XSARMCM3.DLL(TDRV0) #other", "SARMCM3.DLLX(TDRV0)", "SARMCM3.DLL(TDRV0,TDRV1)"}},
        {{"SARM.DLL(TDRV0) # not SARMCM3.DLL", "C:\\Keil\\ARM\\BIN\\SARMCM3.DLL (TDRV0)"},
         false,
         1,
         "CPUDLL1",
         {"SARM.DLL(TDRV0) # not SARMCM3.DLL", "SARMCM3.DLL(TDRV0,TDRV1)"}},
        {{"XSARMCM3.DLL(TDRV0)"}, false, 1, "", {"XSARMCM3.DLL(TDRV0)"}},
        {{"SARMCM3.DLL(TDRV0,TDRV1,TDRV2)"}, true, 0, "CPUDLL0", {"SARMCM3.DLL(TDRV1,TDRV2)"}},
        {{"SARMCM3.DLL(tdrv0)  # tail"}, true, 0, "CPUDLL0", {"SARMCM3.DLL()  # tail"}},
        {{"XSARMCM3.DLL(TDRV2)", "SARMCM3.DLL(TDRV1,TDRV2,TDRV2)"},
         true,
         2,
         "CPUDLL1",
         {"XSARMCM3.DLL(TDRV2)", "SARMCM3.DLL(TDRV1)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lists.back() + (c.remove ? " - " : " + ") + std::to_string(c.number));
        test::TempDir dir;
        std::string text = "[ARMADS]\r\n";
        for (std::size_t i = 0; i < c.lists.size(); ++i) {
            text += "CPUDLL" + std::to_string(i) + "=" + c.lists[i] + "\r\n";
        }
        ProfileIni ini(dir.write("TOOLS.INI", text).string());
        const std::string key =
            c.remove ? KeilDriverSetup::RemoveFromCpuList(ini, "TDRV" + std::to_string(c.number))
                     : KeilDriverSetup::InsertIntoCpuList(ini, c.number);
        EXPECT_EQ(key, c.key);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(ini.readString("ARMADS", "CPUDLL" + std::to_string(i)), c.expected[i]);
        }
    }
}

// Install and Uninstall touch nothing unless the folder holds a TOOLS.INI with [ARMADS].
TEST(KeilDriverSetup, StopsBeforeTouchingAnything) {
    struct Case {
        const char* name;
        std::string toolsIni; // the file's text; empty: no file
        std::string folder;   // relative to the MDK folder; "-" for no text
        std::uint32_t error;
        std::uintmax_t grownTo = 0; // the file padded to this size; 0: as written
    } cases[] = {
        {"no folder text", test::realisticToolsIni(), "-", SystemError::kDirectory},
        {"no such folder", test::realisticToolsIni(), "missing", SystemError::kPathNotFound},
        {"no TOOLS.INI", "", "", SystemError::kFileNotFound},
        {"no [ARMADS]", "[ARM]\r\nTDRV0=BIN\\X.DLL\r\n", "", SystemError::kNotFound},
        {"no sections", "TDRV0=BIN\\X.DLL\r\n", "", SystemError::kNotFound},
        {"too large to read", test::realisticToolsIni(), "", SystemError::kFileTooLarge,
         ProfileIni::kMaxFileSize + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeilRun s(c.toolsIni);
        if (c.toolsIni.empty()) {
            fs::remove(s.fixture.toolsIni);
        }
        if (c.grownTo != 0) {
            fs::resize_file(s.fixture.toolsIni, c.grownTo);
        }
        const std::string folder = std::string(c.folder) == "-" ? ""
                                   : std::string(c.folder).empty()
                                       ? s.folder()
                                       : (s.fixture.mdk / c.folder).string();
        const std::string before = c.toolsIni.empty() ? "" : fileBytes(s.fixture.toolsIni);
        EXPECT_EQ(s.setup.Install(folder).error, c.error);
        EXPECT_EQ(s.setup.Uninstall(folder).error, c.error);
        if (!c.toolsIni.empty()) {
            EXPECT_EQ(fileBytes(s.fixture.toolsIni), before);
        }
        EXPECT_FALSE(fs::exists(s.fixture.driver()));
        EXPECT_TRUE(s.opener.opened.empty());
    }
}

// Found by fuzzing: a section name holding a NUL is not [ARMADS] however it ends, and a
// section holding an entry with a lone carriage return still takes the driver line.
TEST(KeilDriverSetup, OddFilesStillGetWhatIsReported) {
    KeilRun nul(std::string("[Keil\0ARMADS]\r\n", 16) + driverLine(0) + "\r\n");
    EXPECT_EQ(nul.setup.Install(nul.folder()).error, SystemError::kNotFound);

    KeilRun loneCr(section({driverLine(0) + "\rPATH=x", "CPUDLL0=SARMCM3.DLL(TDRV0)"}));
    const auto outcome = loneCr.setup.Install(loneCr.folder());
    EXPECT_EQ(outcome.driverKey, "TDRV1") << outcome.note;
    const ProfileIni ini(loneCr.fixture.toolsIni.string());
    EXPECT_EQ(ini.readString("ARMADS", "TDRV1").value_or(""), KeilDriverSetup::kDriverValue);
    EXPECT_EQ(ini.readString("ARMADS", "CPUDLL0").value_or(""), "SARMCM3.DLL(TDRV0,TDRV1)");
}

TEST(KeilDriverSetup, NamesAreMatchedWithoutRegardToCase) {
    // Section names read through a buffer that doubles: ARMADS stands after 300 characters
    // of other names, in other letters, in a file named in other letters.
    std::string text;
    for (int i = 0; i < 30; ++i) {
        text += "[SECTION_" + std::to_string(i) + "]\r\n";
    }
    text += "[armads]\r\nPATH=\"c:\\keil_v5\\arm\\\"\r\n" + driverLine(0) +
            "\r\nCPUDLL0=SARMCM3.DLL(TDRV0)\r\n";
    KeilRun s(text);
    fs::rename(s.fixture.toolsIni, s.fixture.mdk / "Tools.ini");
    const auto outcome = s.setup.Install(s.folder());
    EXPECT_EQ(outcome.toolsIni, (s.fixture.mdk / "Tools.ini").string());
    EXPECT_EQ(outcome.driverKey, "TDRV1");
    EXPECT_TRUE(outcome.driverCopied) << outcome.note;
    EXPECT_TRUE(fs::exists(s.fixture.driver()));
    EXPECT_FALSE(fs::exists(s.fixture.mdk / "ARM" / "BIN")) << "Bin was matched, not made";
}

TEST(KeilDriverSetup, UninstallKeepsTheLineWhileTheDriverStays) {
    KeilRun s;
    const std::string original = fileBytes(s.fixture.toolsIni);
    s.setup.Install(s.folder());
    // A folder in the driver's place cannot be deleted, as a driver in use could not.
    fs::remove(s.fixture.driver());
    fs::create_directories(s.fixture.driver() / "held");

    const auto held = s.setup.Uninstall(s.folder());
    EXPECT_FALSE(held.driverDeleted);
    EXPECT_NE(held.note.find("cannot be deleted"), std::string::npos);
    const ProfileIni ini(s.fixture.toolsIni.string());
    EXPECT_EQ(ini.readString("ARMADS", "CPUDLL1").value_or(""),
              "SARMCM3.DLL(TDRV0,TDRV1,TDRV2)    # Drivers for Cortex-M devices");
    EXPECT_TRUE(ini.readString("ARMADS", "TDRV3").has_value());

    // Once the driver can go, a second Uninstall finishes the job.
    fs::remove_all(s.fixture.driver());
    s.fixture.dir.write("wine/drive_c/Keil_v5/ARM/Bin/M3_Tavro.dll", "driver");
    const auto retried = s.setup.Uninstall(s.folder());
    EXPECT_TRUE(retried.driverDeleted);
    EXPECT_EQ(fileBytes(s.fixture.toolsIni), original);
}

// A driver that was never copied (none lay beside the program) leaves nothing to delete:
// Uninstall still takes the registration back.
TEST(KeilDriverSetup, WithoutDriverOrPackBesideTheProgram) {
    KeilRun s;
    fs::remove(s.fixture.program / "M3_Tavro.dll");
    fs::remove(s.fixture.pack());
    const std::string original = fileBytes(s.fixture.toolsIni);
    const auto installed = s.setup.Install(s.folder());
    EXPECT_EQ(installed.driverKey, "TDRV3");
    EXPECT_FALSE(installed.driverCopied);
    EXPECT_NE(installed.note.find("no M3_Tavro.dll"), std::string::npos);
    EXPECT_EQ(installed.pack, "");
    EXPECT_TRUE(s.opener.opened.empty());

    const auto removed = s.setup.Uninstall(s.folder());
    EXPECT_FALSE(removed.driverDeleted);
    EXPECT_EQ(fileBytes(s.fixture.toolsIni), original);
}

TEST(KeilDriverSetup, TheFirstPackInNameOrderIsOpened) {
    KeilRun s;
    s.fixture.dir.write("program/A.Other.pack", "PK");
    s.fixture.dir.write("program/notes.txt", "");
    fs::create_directories(s.fixture.program / "0.folder.pack");
    EXPECT_EQ(s.setup.OpenPack(), (s.fixture.program / "A.Other.pack").string());
    EXPECT_EQ(s.opener.opened,
              (std::vector<std::string>{(s.fixture.program / "A.Other.pack").string()}));
}

} // namespace
} // namespace halden
