#include "programmer/app/CommandLine.h"
#include "common/Unicode.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

const std::u16string kProgram = u"C:\\Tools\\Halden_Programmer.exe";

TEST(CommandLine, SplitsPartNameAndFilePath) {
    struct Case {
        const char* name;
        std::u16string raw;
        int count;
        std::u16string part;
        std::u16string path;
        bool forced;
    };
    const std::u16string quoted = u"\"" + kProgram + u"\"";
    const Case cases[] = {
        {"path with a space", quoted + u" RQD-1 D:\\My Files\\code.hex", 4, u"RQD-1",
         u"D:\\My Files\\code.hex", false},
        {"spaces in a row collapse", quoted + u" RQD-1 D:\\My   Files\\code.hex", 4, u"RQD-1",
         u"D:\\My Files\\code.hex", false},
        {"quoted path is one argument", quoted + u" RQD-1 \"D:\\My Files\\code.hex\"", 3, u"RQD-1",
         u"\"D:\\My", false},
        {"one argument forces the upgrade", quoted + u" anything at all", 2, u"", u"", true},
        {"no arguments", quoted, 1, u"", u"", false},
        {"started from a shell by a relative name", u"./Halden_Programmer RQE-2 /tmp/a.bin", 3,
         u"RQE-2", u"/tmp/a.bin", false},
        {"started by a quoted relative name", u"\"my tools/Halden_Programmer\" RQE-2 a b", 4,
         u"RQE-2", u"a b", false},
        {"fewer tokens than arguments", quoted + u" RQD-1", 4, u"RQD-1", u"", false},
    };
    for (const auto& c : cases) {
        const auto values = CommandLine::parse(c.raw, c.count, kProgram);
        EXPECT_EQ(values.partName, c.part) << c.name;
        EXPECT_EQ(values.filePath, c.path) << c.name;
        EXPECT_EQ(values.forcedUpgrade, c.forced) << c.name;
        EXPECT_FALSE(values.pathTooLong) << c.name;
    }
}

TEST(CommandLine, PathOf260CharactersIsTooLong) {
    const std::u16string quoted = u"\"" + kProgram + u"\" RQD-1 ";
    const auto longest = CommandLine::parse(quoted + std::u16string(259, u'a'), 3, kProgram);
    EXPECT_FALSE(longest.pathTooLong);
    EXPECT_EQ(longest.filePath.size(), 259u);
    EXPECT_TRUE(CommandLine::parse(quoted + std::u16string(260, u'a'), 3, kProgram).pathTooLong);
}

TEST(CommandLine, LongPartNameKeeps259Characters) {
    const auto values = CommandLine::parse(
        u"\"" + kProgram + u"\" " + std::u16string(300, u'P') + u" f", 3, kProgram);
    EXPECT_EQ(values.partName, std::u16string(259, u'P'));
    EXPECT_EQ(values.filePath, u"f");
}

TEST(CommandLine, RawLineQuotesArgumentsWithSpaces) {
    EXPECT_EQ(CommandLine::rawFromArguments({u"/opt/h/Halden_Programmer", u"RQD-1", u"/a b/c.hex"}),
              u"/opt/h/Halden_Programmer RQD-1 \"/a b/c.hex\"");
}

} // namespace
} // namespace halden
