#include "adapter/UpwardFileSearch.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace halden {
namespace {

int search(const fs::path& start, const test::TempDir& top, std::string& found) {
    return UpwardFileSearch::SearchFileUpward(start, "M3_Tavro.so", found, top.path());
}

TEST(UpwardFileSearch, FindsTheFileInTheStartTreeThenAbove) {
    struct Case {
        const char* name;
        const char* file; // where the library lies, under the top folder
    };
    const Case cases[] = {
        {"beside the program", "app/bin/M3_Tavro.so"},
        {"below the program folder", "app/bin/plugins/deep/M3_Tavro.so"},
        {"in a sibling folder", "app/lib/M3_Tavro.so"},
        {"two levels up", "other/tree/M3_TAVRO.SO"},
    };
    for (const auto& c : cases) {
        test::TempDir top;
        fs::create_directories(top / "app/bin");
        const auto file = top.write(c.file, "x");
        std::string found;
        EXPECT_EQ(search(top / "app/bin", top, found), 1) << c.name;
        EXPECT_EQ(found, file.string()) << c.name;
    }
}

TEST(UpwardFileSearch, EndsWithoutAHitAtTheTop) {
    test::TempDir top;
    fs::create_directories(top / "app/bin");
    top.write("app/readme.txt", "x");
    std::string found = "unchanged";
    EXPECT_EQ(search(top / "app/bin", top, found), 0);
    EXPECT_EQ(found, "unchanged");
    EXPECT_EQ(search(top / "no/such/folder", top, found), 0);
}

TEST(UpwardFileSearch, NeverFollowsSymbolicLinks) {
    test::TempDir top;
    test::TempDir outside;
    fs::create_directories(top / "app/bin");
    const auto real = outside.write("lib/M3_Tavro.so", "x");
    fs::create_directory_symlink(outside / "lib", top / "app/linked");
    fs::create_symlink(real, top / "app/M3_Tavro.so");
    // A link back up the tree would loop forever if it were followed.
    fs::create_directory_symlink(top.path(), top / "app/bin/loop");
    std::string found;
    EXPECT_EQ(search(top / "app/bin", top, found), 0);
}

TEST(UpwardFileSearch, LeavesOutOnlyTheFolderAlreadySearched) {
    // "bi" is a prefix of "bin" but a different folder, so it is searched.
    test::TempDir top;
    fs::create_directories(top / "app/bin");
    const auto file = top.write("app/bi/M3_Tavro.so", "x");
    std::string found;
    EXPECT_EQ(search(top / "app/bin", top, found), 1);
    EXPECT_EQ(found, file.string());
}

// The test variants of the link library are built into the tests' tree; a programmer
// copied to a folder without its library searches the trees above it and must never find
// one of them under the real library's name.
TEST(UpwardFileSearch, NoTestVariantCarriesTheRealLibrarysName) {
    const fs::path tests = fs::path(HALDEN_TEST_LIB_DIR).parent_path();
    std::string found;
    const int result = UpwardFileSearch::SearchFileUpward(tests, "M3_Tavro.so", found, tests);
    EXPECT_EQ(result, 0) << "found " << found;
    std::size_t variants = 0;
    for (const auto& entry : fs::directory_iterator(HALDEN_TEST_LIB_DIR)) {
        variants += entry.path().filename().string().find("M3_Tavro-") == 0;
    }
    EXPECT_EQ(variants, 3u);
}

} // namespace
} // namespace halden
