#include "common/AtomicFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace halden {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct stat statusOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

TEST(AtomicFile, NewAndReplacedFilesKeepTheirModeAndLeaveNothingBeside) {
    test::TempDir dir;
    const fs::path file = dir / "out.bin";
    ASSERT_EQ(AtomicFile::write(file, bytesOf("first")), "");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(statusOf(file).st_mode & 07777, 0666 & ~mask);

    ::chmod(file.c_str(), 0600);
    ASSERT_EQ(AtomicFile::write(file, bytesOf("second")), "");
    EXPECT_EQ(readFile(file), "second");
    EXPECT_EQ(statusOf(file).st_mode & 07777, 0600u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.bin"});
}

TEST(AtomicFile, AReplacedFileKeepsItsOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can give a file away";
    }
    test::TempDir dir;
    const fs::path file = dir.write("owned.bin", "old");
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    ASSERT_EQ(AtomicFile::write(file, bytesOf("new")), "");
    EXPECT_EQ(statusOf(file).st_uid, 4321u);
    EXPECT_EQ(statusOf(file).st_gid, 4322u);
}

TEST(AtomicFile, SymbolicLinksAreWrittenThroughAndStayLinks) {
    test::TempDir dir;
    const fs::path target = dir.write("real/target.bin", "old");
    fs::create_symlink("real/target.bin", dir / "link.bin");
    ASSERT_EQ(AtomicFile::write(dir / "link.bin", bytesOf("through")), "");
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_EQ(readFile(target), "through");

    // A link to a file that does not exist yet makes that file.
    fs::create_symlink("real/later.bin", dir / "dangling.bin");
    ASSERT_EQ(AtomicFile::write(dir / "dangling.bin", bytesOf("made")), "");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.bin"));
    EXPECT_EQ(readFile(dir / "real/later.bin"), "made");
    EXPECT_EQ(namesIn(dir / "real"), (std::vector<std::string>{"later.bin", "target.bin"}));

    fs::create_symlink("loop.bin", dir / "loop.bin");
    EXPECT_NE(AtomicFile::write(dir / "loop.bin", bytesOf("x")).find("Too many levels"),
              std::string::npos);
}

// The test's own nodes of the null and full devices, so that a fault here cannot
// replace the system's.
TEST(AtomicFile, DevicesAreWrittenInPlaceWithEveryErrorReported) {
    test::TempDir dir;
    const fs::path null = dir / "null";
    const fs::path full = dir / "full";
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
        ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "cannot make device nodes here";
    }
    ASSERT_EQ(AtomicFile::write(null, bytesOf("gone")), "");
    EXPECT_TRUE(S_ISCHR(statusOf(null).st_mode));
    EXPECT_NE(AtomicFile::write(full, bytesOf("full")).find("No space left"), std::string::npos);
    EXPECT_TRUE(S_ISCHR(statusOf(full).st_mode));
}

TEST(AtomicFile, FifosAreWrittenInPlaceAndFoldersRefused) {
    test::TempDir dir;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(AtomicFile::write(fifo, bytesOf("nobody")).find("no process reads"),
              std::string::npos);
    auto reader = std::async(std::launch::async, [&fifo] { return readFile(fifo); });
    // The reader's open may come a little after ours is tried: try until it is there.
    std::string error = "not tried";
    for (int i = 0; i < 500 && !error.empty(); ++i) {
        error = AtomicFile::write(fifo, bytesOf("to the reader"));
        if (!error.empty()) {
            ::usleep(2000);
        }
    }
    EXPECT_EQ(error, "");
    EXPECT_EQ(reader.get(), "to the reader");
    EXPECT_TRUE(S_ISFIFO(statusOf(fifo).st_mode));

    EXPECT_NE(AtomicFile::write(dir.path(), bytesOf("x")).find("Is a directory"),
              std::string::npos);
    EXPECT_NE(AtomicFile::write(dir / "none/file.bin", bytesOf("x")).find("No such file"),
              std::string::npos);
}

TEST(AtomicFile, NamesAsLongAsTheFileSystemAllows) {
    test::TempDir dir;
    for (const std::size_t length : {249u, 255u}) {
        const fs::path file = dir / std::string(length, 'n');
        ASSERT_EQ(AtomicFile::write(file, bytesOf("long")), "") << length;
        ASSERT_EQ(AtomicFile::write(file, bytesOf("longer")), "") << length;
        EXPECT_EQ(readFile(file), "longer");
    }
    EXPECT_EQ(namesIn(dir.path()).size(), 2u);
}

// A save killed half-way (here by the file size limit's signal) leaves the old file
// and nothing else.
TEST(AtomicFile, AKilledWriteLeavesTheOldFileAndNothingElse) {
    test::TempDir dir;
    const fs::path file = dir.write("big.bin", "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{1 << 20, 1 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::vector<std::uint8_t> bytes(8 << 20, 0x5A);
        AtomicFile::write(file, bytes);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(readFile(file), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"big.bin"});
}

} // namespace
} // namespace halden
