#include "common/InstanceLockFolder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace halden {
namespace {

namespace fs = std::filesystem;

TEST(InstanceLockFolder, TheRuntimeFolderWhenItIsTheUsersElseOneInTheHome) {
    test::TempDir dir;
    const fs::path runtime = dir / "runtime";
    fs::create_directories(runtime);
    const fs::path home = dir / "home";
    fs::create_directories(home);
    const std::string inHome = (home / InstanceLockFolder::kHomeFolder).string();
    dir.write("plain", "not a folder");

    const struct {
        const char* name;
        std::string runtime; // "-": not set
        std::string expected;
    } cases[] = {
        {"the runtime folder", runtime.string(), runtime.string()},
        {"not set", "-", inHome},
        {"empty", "", inHome},
        {"relative", "runtime", inHome},
        {"missing", (dir / "gone").string(), inHome},
        {"a file", (dir / "plain").string(), inHome},
    };
    for (const auto& row : cases) {
        const char* given = row.runtime == "-" ? nullptr : row.runtime.c_str();
        EXPECT_EQ(InstanceLockFolder::find(given, home.c_str()), row.expected) << row.name;
    }
    // Made for the user alone, every folder on the way.
    EXPECT_EQ(fs::status(inHome).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(home / ".local").permissions(), fs::perms::owner_all);
}

TEST(InstanceLockFolder, AnotherUsersRuntimeFolderIsNeverShared) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a folder away";
    }
    test::TempDir dir;
    const fs::path runtime = dir / "runtime";
    fs::create_directories(runtime);
    ASSERT_EQ(::chown(runtime.c_str(), 65534, 65534), 0);
    const fs::path home = dir / "home";
    EXPECT_EQ(InstanceLockFolder::find(runtime.c_str(), home.c_str()),
              (home / InstanceLockFolder::kHomeFolder).string());
}

TEST(InstanceLockFolder, NothingWhereNoFolderCanBeMade) {
    test::TempDir dir;
    const fs::path file = dir.write("home", "a file, not a folder");
    EXPECT_EQ(InstanceLockFolder::find(nullptr, file.c_str()), "");
}

} // namespace
} // namespace halden
