#include "common/ProfileIni.h"
#include "common/ProfileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace halden {
namespace {

using Edit = ProfileText::Edit;

// A TOOLS.INI as Keil writes it: CR LF, a Latin-1 byte, quotes around PATH.
const std::string kToolsIni = "[UV2]\r\n"
                              "ORGANIZATION=\"Caf\xE9 Werk\"\r\n"
                              "\r\n"
                              "[ARMADS]\r\n"
                              "PATH=\"C:\\Keil_v5\\ARM\\\"\r\n"
                              "TDRV0=BIN\\PRB1CM3.DLL(\"Probe One Debugger\")\r\n"
                              "TDRV1 = BIN\\PRB2CM3.DLL(\"Probe Two Debugger\")\r\n"
                              "; drivers end here\r\n"
                              "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1)\r\n"
                              "\r\n";

TEST(ProfileText, ReadsValuesAsThePrivateProfileCallsDo) {
    struct Case {
        const char* name;
        std::string text;
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const std::string longValue(5000, 'v');
    const Case cases[] = {
        {"names without regard to case", kToolsIni, "armads", "tdrv0",
         "BIN\\PRB1CM3.DLL(\"Probe One Debugger\")"},
        {"blanks around key and value", kToolsIni, "ARMADS", "TDRV1",
         "BIN\\PRB2CM3.DLL(\"Probe Two Debugger\")"},
        {"double quotes dropped", kToolsIni, "ARMADS", "PATH", "C:\\Keil_v5\\ARM\\"},
        {"Latin-1 bytes as they stand", kToolsIni, "uv2", "Organization", "Caf\xE9 Werk"},
        {"single quotes dropped", "[s]\nk='a b'\n", "s", "k", "a b"},
        {"different quotes kept", "[s]\nk=\"a'\n", "s", "k", "\"a'"},
        {"a lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
        {"first of two sections wins", "[s]\nk=1\n[S]\nk=2\nj=3\n", "s", "k", "1"},
        {"keys of a later twin section unseen", "[s]\nk=1\n[S]\nj=3\n", "s", "j", std::nullopt},
        {"first of two keys wins", "[s]\nK=1\nk=2\n", "s", "k", "1"},
        {"comment is no entry", "[s]\n;k=1\n", "s", "k", std::nullopt},
        {"key without =", "[s]\nflag\n", "s", "flag", ""},
        {"lines before any section", "k=1\n[s]\n", "s", "k", std::nullopt},
        {"name in brackets trimmed, text after ] ignored", "[ s ] x\nk=1", "s", "k", "1"},
        {"[ without ] is an entry", "[s]\n[k=1\n", "s", "[k", "1"},
        {"long value whole", "[s]\nk=" + longValue + "\r\n", "s", "k", longValue},
        {"missing section", kToolsIni, "TOOLS", "PATH", std::nullopt},
        {"a UTF-8 mark before the first section", "\xEF\xBB\xBF[s]\r\nk=1\r\n", "s", "k", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileText(c.text).value(c.section, c.key), c.value) << c.name;
    }
}

TEST(ProfileText, ListsSectionsAndEntries) {
    const ProfileText text(kToolsIni);
    EXPECT_EQ(text.sectionNames(), (std::vector<std::string>{"UV2", "ARMADS"}));
    EXPECT_EQ(text.section("armads"), (std::vector<std::string>{
                                          "PATH=\"C:\\Keil_v5\\ARM\\\"",
                                          "TDRV0=BIN\\PRB1CM3.DLL(\"Probe One Debugger\")",
                                          "TDRV1=BIN\\PRB2CM3.DLL(\"Probe Two Debugger\")",
                                          "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1)",
                                      }));
    EXPECT_EQ(text.section("none"), std::nullopt);
    EXPECT_EQ(ProfileText("[a]\n[b]\n").section("a"), std::vector<std::string>{});

    // Keyed, the values read as value() reads them: quotes dropped, blanks gone, a line
    // without "=" an empty value, a repeated key listed again (value() takes the first).
    using Keyed = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(
        ProfileText("[s]\r\n k = 'one' \r\n;c\r\nbare\r\nK=two\r\n[t]\r\nx=1\r\n").keyedValues("S"),
        (Keyed{{"k", "one"}, {"bare", ""}, {"K", "two"}}));
    EXPECT_EQ(text.keyedValues("none"), std::nullopt);
    const auto armads = text.keyedValues("ARMADS");
    ASSERT_TRUE(armads);
    for (const auto& [key, value] : *armads) {
        EXPECT_EQ(text.value("ARMADS", key), value) << key;
    }
}

TEST(ProfileIni, FitsValuesAndListsIntoTheSystemsBuffers) {
    struct Case {
        std::size_t length, size, returned;
    };
    // A cut value returns size - 1, which a 260-character reader cannot tell from a value
    // of 259 characters.
    const Case values[] = {{258, 260, 258}, {259, 260, 259}, {300, 260, 259},
                           {31, 32, 31},    {40, 32, 31},    {5, 0, 0}};
    for (const auto& c : values) {
        const auto fitted = ProfileIni::fitValue(std::string(c.length, 'x'), c.size);
        EXPECT_EQ(fitted.returned, c.returned) << c.length << " in " << c.size;
        EXPECT_EQ(fitted.text.size(), c.returned);
    }

    const std::vector<std::string> names{"UV2", "ARMADS", "C51"};
    EXPECT_EQ(ProfileIni::fitList(names, 256).text, std::string("UV2\0ARMADS\0C51\0", 15));
    EXPECT_EQ(ProfileIni::fitList(names, 256).returned, 15u);
    EXPECT_EQ(ProfileIni::fitList(names, 16).returned, 15u); // the closing NUL just fits
    const auto cut = ProfileIni::fitList(names, 15);
    EXPECT_EQ(cut.returned, 13u);
    EXPECT_EQ(cut.text, std::string("UV2\0ARMADS\0C5\0", 14));

    // How a reader grows its buffer until the names are no longer cut.
    std::vector<std::string> many;
    for (int i = 0; i < 100; ++i) {
        many.push_back("SECTION" + std::to_string(i));
    }
    std::size_t size = 256;
    while (ProfileIni::fitList(many, size).returned == size - 2) {
        size *= 2;
    }
    EXPECT_EQ(size, 1024u);
    EXPECT_EQ(ProfileIni::fitList(many, size).text.size(),
              ProfileIni::fitList(many, 4096).returned);
}

TEST(ProfileText, WritesChangeOnlyTheLinesTheyMust) {
    struct Case {
        const char* name;
        std::string before;
        std::function<Edit(ProfileText&)> change;
        std::string after;
    };
    const Case cases[] = {
        {"a value rewritten in place, the key's spelling kept", "[S]\r\n  Key = old\r\n\xB5=1\r\n",
         [](ProfileText& t) { return t.setValue("s", "KEY", "new"); },
         "[S]\r\n  Key =new\r\n\xB5=1\r\n"},
        {"the same value again changes nothing", "[s]\nk=v\n",
         [](ProfileText& t) { return t.setValue("s", "k", "v"); }, "[s]\nk=v\n"},
        {"a new key after the last entry, before blank lines and comments",
         "[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\n",
         [](ProfileText& t) { return t.setValue("a", "y", "2"); },
         "[a]\r\nx=1\r\ny=2\r\n\r\n; about b\r\n[b]\r\n"},
        {"a new key in an empty section", "[a]\n[b]\n",
         [](ProfileText& t) { return t.setValue("a", "y", "2"); }, "[a]\ny=2\n[b]\n"},
        {"a new section at the end, the last line given its line end", "[a]\r\nx=1",
         [](ProfileText& t) { return t.setValue("b", "y", "2"); },
         "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"},
        {"a UTF-8 mark stays", "\xEF\xBB\xBF[a]\nx=1\n",
         [](ProfileText& t) { return t.setValue("a", "x", "2"); }, "\xEF\xBB\xBF[a]\nx=2\n"},
        {"a new file gets CR LF", "", [](ProfileText& t) { return t.setValue("b", "y", "2"); },
         "[b]\r\ny=2\r\n"},
        {"a key deleted", "[a]\nx=1\nX=2\ny=3\n",
         [](ProfileText& t) { return t.removeKey("A", "x"); }, "[a]\nX=2\ny=3\n"},
        {"deleting a missing key changes nothing", "[a]\nx=1\n",
         [](ProfileText& t) { return t.removeKey("a", "z"); }, "[a]\nx=1\n"},
        {"a section rewritten with one more entry adds one line", kToolsIni,
         [](ProfileText& t) {
             auto entries = *t.section("ARMADS");
             entries.insert(entries.begin() + 3, "TDRV2=BIN\\M3_Tavro.dll(\"Tavro\")");
             return t.replaceSection("ARMADS", entries);
         },
         "[UV2]\r\n"
         "ORGANIZATION=\"Caf\xE9 Werk\"\r\n"
         "\r\n"
         "[ARMADS]\r\n"
         "PATH=\"C:\\Keil_v5\\ARM\\\"\r\n"
         "TDRV0=BIN\\PRB1CM3.DLL(\"Probe One Debugger\")\r\n"
         "TDRV1 = BIN\\PRB2CM3.DLL(\"Probe Two Debugger\")\r\n"
         "TDRV2=BIN\\M3_Tavro.dll(\"Tavro\")\r\n"
         "; drivers end here\r\n"
         "CPUDLL1=SARMCM3.DLL(TDRV0,TDRV1)\r\n"
         "\r\n"},
        {"a section's changed entries replaced where they stood, comments kept",
         "[a]\nx=1\ny=2\n;note\nz=3\n[b]\nx=1\n",
         [](ProfileText& t) {
             return t.replaceSection("a", {"x=1", "w=9", "z=3"});
         },
         "[a]\nx=1\nw=9\n;note\nz=3\n[b]\nx=1\n"},
        {"a section emptied keeps its heading and comments", "[a]\nx=1\n;note\ny=2\n",
         [](ProfileText& t) { return t.replaceSection("a", {}); }, "[a]\n;note\n"},
        {"a new entry before all others goes before the first", "[a]\n;head\nx=1\n",
         [](ProfileText& t) {
             return t.replaceSection("a", {"w=0", "x=1"});
         },
         "[a]\n;head\nw=0\nx=1\n"},
        {"a missing section is appended", "[a]\nx=1\n",
         [](ProfileText& t) {
             return t.replaceSection("b", {"y=2", "z=3"});
         },
         "[a]\nx=1\n\n[b]\ny=2\nz=3\n"},
    };
    for (const auto& c : cases) {
        ProfileText text(c.before);
        const Edit edit = c.change(text);
        EXPECT_EQ(text.bytes(), c.after) << c.name;
        EXPECT_EQ(edit, c.before == c.after ? Edit::Unchanged : Edit::Changed) << c.name;
    }
}

TEST(ProfileText, RefusesWritesThatWouldChangeTheFilesStructure) {
    ProfileText text("[a]\nx=1\n");
    EXPECT_EQ(text.setValue("a", "x", "1\n[b]"), Edit::Refused);
    EXPECT_EQ(text.setValue("a", "k=v", "1"), Edit::Refused);
    EXPECT_EQ(text.setValue("a", ";k", "1"), Edit::Refused);
    EXPECT_EQ(text.setValue("a", " k", "1"), Edit::Refused);
    EXPECT_EQ(text.setValue("a]x", "k", "1"), Edit::Refused);
    EXPECT_EQ(text.setValue("a", "k",
                            std::string("1\0"
                                        "2",
                                        3)),
              Edit::Refused);
    EXPECT_EQ(text.replaceSection("a", {"x=1", "[b]"}), Edit::Refused);
    EXPECT_EQ(text.replaceSection("a", {"x=1", "  "}), Edit::Refused);
    EXPECT_EQ(text.bytes(), "[a]\nx=1\n");

    // An entry read from the file as it stands (here with a lone carriage return) keeps its
    // line, so the section it came from can be written back with an entry added; only a new
    // entry of that kind is refused.
    ProfileText odd("[a]\nx=1\ry=2\nz=3\n");
    auto entries = *odd.section("a");
    entries.insert(entries.begin() + 1, "w=4");
    EXPECT_EQ(odd.replaceSection("a", entries), Edit::Changed);
    EXPECT_EQ(odd.bytes(), "[a]\nx=1\ry=2\nw=4\nz=3\n");
    EXPECT_EQ(odd.replaceSection("a", {"x=1\ry=2", "v=5\rq", "w=4", "z=3"}), Edit::Refused);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(ProfileIni, WritesReplaceTheFileAndKeepItsPermissions) {
    test::TempDir dir;
    const auto path = dir.write("TOOLS.INI", kToolsIni);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ProfileIni ini(path.string());

    EXPECT_EQ(ini.readString("ARMADS", "PATH"), "C:\\Keil_v5\\ARM\\");
    // The calls as fixed buffers see them.
    EXPECT_EQ(ini.readString("ARMADS", "PATH", "none", 260).text, "C:\\Keil_v5\\ARM\\");
    EXPECT_EQ(ini.readString("ARMADS", "TDRV9", "none", 260).text, "none");
    EXPECT_EQ(ini.readString("ARMADS", "TDRV0", "", 20).returned, 19u);
    EXPECT_EQ(ini.sectionNames(256).text, std::string("UV2\0ARMADS\0", 11));
    EXPECT_EQ(ini.sectionNames(8).returned, 6u);
    EXPECT_EQ(ini.readSection("ARMADS", 4608).returned,
              ini.readSection("ARMADS", 4608).text.size());
    EXPECT_EQ(ini.readSection("NONE", 4608).returned, 0u);
    EXPECT_EQ(ini.writeString("ARMADS", "TDRV1", "BIN\\M3_Tavro.dll"), "");
    EXPECT_EQ(ini.readString("armads", "tdrv1"), "BIN\\M3_Tavro.dll");
    EXPECT_EQ(ini.deleteKey("ARMADS", "TDRV0"), "");
    EXPECT_EQ(ini.readSection("ARMADS")->size(), 3u);
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(readFile(path).substr(0, 33), kToolsIni.substr(0, 33));
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    // A value longer than any of the system's buffers goes in and comes out whole.
    const std::string cpuList = "SARMCM3.DLL(" + std::string(600, 'T') + ")";
    EXPECT_EQ(ini.writeString("ARMADS", "CPUDLL1", cpuList), "");
    EXPECT_EQ(ini.readString("ARMADS", "CPUDLL1"), cpuList);

    EXPECT_NE(ini.writeString("ARMADS", "TDRV1", "a\r\nb"), "");
    EXPECT_EQ(ini.readString("ARMADS", "TDRV1"), "BIN\\M3_Tavro.dll");
}

TEST(ProfileIni, MissingFileReadsEmptyAndIsMadeByAWrite) {
    test::TempDir dir;
    ProfileIni ini((dir / "new.ini").string());
    EXPECT_TRUE(ini.sectionNames().empty());
    EXPECT_EQ(ini.readSection("s"), std::nullopt);
    EXPECT_EQ(ini.writeSection("s", {"a=1"}), "");
    EXPECT_EQ(readFile(dir / "new.ini"), "[s]\r\na=1\r\n");
}

TEST(ProfileIni, AFileItCannotReadIsNeverReplaced) {
    test::TempDir dir;
    const auto huge = dir.write("huge.ini", "[s]\nk=1\n");
    fs::resize_file(huge, ProfileIni::kMaxFileSize + 1);
    ProfileIni ini(huge.string());
    EXPECT_EQ(ini.readString("s", "k"), std::nullopt);
    EXPECT_NE(ini.writeString("s", "k", "2"), "");
    EXPECT_EQ(fs::file_size(huge), ProfileIni::kMaxFileSize + 1);

    fs::create_directory(dir / "folder.ini");
    EXPECT_NE(ProfileIni((dir / "folder.ini").string()).writeString("s", "k", "2"), "");
    EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
}

TEST(ProfileIni, AHeldFileIsReadAndWrittenInMemoryOnly) {
    test::TempDir dir;
    const auto path = dir.write("TOOLS.INI", "[other]\nk=on disk\n");
    auto ini = ProfileIni::held(path.string(), kToolsIni);
    EXPECT_EQ(ini.path(), path.string());
    EXPECT_EQ(ini.readString("ARMADS", "TDRV1"), "BIN\\PRB2CM3.DLL(\"Probe Two Debugger\")");
    EXPECT_EQ(ini.writeString("ARMADS", "TDRV2", "BIN\\M3_Tavro.dll"), "");
    EXPECT_EQ(ini.deleteKey("UV2", "ORGANIZATION"), "");
    ProfileText edited(kToolsIni);
    edited.setValue("ARMADS", "TDRV2", "BIN\\M3_Tavro.dll");
    edited.removeKey("UV2", "ORGANIZATION");
    EXPECT_EQ(*ini.heldBytes(), edited.bytes());
    EXPECT_EQ(readFile(path), "[other]\nk=on disk\n");
    EXPECT_EQ(ProfileIni(path.string()).heldBytes(), nullptr);

    // The size rule of files holds for held text too.
    auto huge =
        ProfileIni::held("huge.ini", "[s]\nk=1\n" + std::string(ProfileIni::kMaxFileSize, ';'));
    EXPECT_EQ(huge.readString("s", "k"), std::nullopt);
    EXPECT_NE(huge.writeString("s", "k", "2"), "");
}

} // namespace
} // namespace halden
