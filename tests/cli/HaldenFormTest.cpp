#include "cli/HaldenCli.h"
#include "common/ByteOrder.h"
#include "tests/cli/HaldenProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

namespace halden {
namespace {

using test::CliResult;

CliResult run(const std::vector<std::string>& arguments) {
    return test::runCli(arguments);
}

std::string readFile(const std::filesystem::path& path) {
    return test::readText(path);
}

std::string command(const std::string& line) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
    std::array<char, 4096> chunk{};
    while (pipe && std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe.get())) {
        output += chunk.data();
    }
    return output;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find("\r\n", start);
        out.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return out;
        }
        start = end + 2;
    }
}

// Runs of spaces as one, ends trimmed: compares a line's words.
std::string words(const std::string& line) {
    std::string out;
    for (const char c : line) {
        if (c != ' ' || (!out.empty() && out.back() != ' ')) {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

class HaldenForm : public testing::Test {
protected:
    void SetUp() override {
        const auto code = dir.write("app.bin", std::string(100, '\x11'));
        const CliResult saved = run({"qpf", "save", "--part", "RQD-2", "--set", "LOCK=on",
                                     code.string(), "-o", project.string()});
        ASSERT_EQ(saved.code, HaldenCli::kSuccess) << saved.err;
    }

    test::TempDir dir;
    std::filesystem::path project = dir / "order.qpf";
};

TEST_F(HaldenForm, TextGoesOutAsUtf8WithoutTheByteOrderMark) {
    const CliResult form = run({"form", project.string(), "--to", "Corvane Sales", "--from",
                                "Lab 4", "--part-no", "PN-7"});
    ASSERT_EQ(form.code, HaldenCli::kSuccess) << form.err;
    EXPECT_EQ(form.out.rfind("\r\n\r\n\r\n", 0), 0u) << "no byte-order mark";
    const auto rows = lines(form.out);
    ASSERT_EQ(rows.size(), 65u);
    EXPECT_EQ(words(rows[3]), "corvane QPF3.0 Request FORM v1.2");
    EXPECT_EQ(rows[6], " To      : Corvane Sales" + std::string(71 - 13, ' '));
    EXPECT_EQ(words(rows[8]), "From : Lab 4");
    EXPECT_EQ(words(rows[10]), "Part No : PN-7");
    EXPECT_EQ(words(rows[14]), "MCU Body RQD-2") << "the project's own part by default";
    EXPECT_EQ(words(rows[16]), "QPF File Name order.qpf");
    EXPECT_EQ(words(rows[18]), "CodeFile Name app.bin");
    EXPECT_EQ(words(rows[22]), "Code Size 100 Code Checksum 0x06A4");
    EXPECT_EQ(words(rows[36]), "LOCK : V - : -");
    EXPECT_TRUE(form.err.empty()) << form.err;

    // -o holds the same bytes, and nothing goes to standard output.
    const auto text = dir / "form.txt";
    const CliResult file = run({"form", project.string(), "--to", "Corvane Sales", "--from",
                                "Lab 4", "--part-no", "PN-7", "-o", text.string()});
    ASSERT_EQ(file.code, HaldenCli::kSuccess) << file.err;
    EXPECT_TRUE(file.out.empty());
    EXPECT_EQ(readFile(text), form.out);
}

TEST_F(HaldenForm, PartChoosesTheLayoutAndAPartWithoutOneGivesNoForm) {
    const CliResult epsilon = run({"form", project.string(), "--part", "RQE-1"});
    ASSERT_EQ(epsilon.code, HaldenCli::kSuccess) << epsilon.err;
    const auto rows = lines(epsilon.out);
    ASSERT_EQ(rows.size(), 65u);
    EXPECT_EQ(words(rows[14]), "MCU Body RQE-1");
    // The Delta file's rows under the Epsilon rules: from slot 5 on, a row the file's
    // part has shows nothing, a row it lacks the filler.
    EXPECT_EQ(words(rows[40]), "RST_STOP : V - : -"); // slot 4: marked when its bits are 0
    EXPECT_EQ(words(rows[41]), ": - : -");

    const CliResult none = run({"form", project.string(), "--part", "RQE-3"});
    EXPECT_EQ(none.code, HaldenCli::kFailed);
    EXPECT_TRUE(none.out.empty());
    EXPECT_NE(none.err.find("halden: no request form for "), std::string::npos) << none.err;
    EXPECT_NE(none.err.find("RQE-3 has no form layout"), std::string::npos) << none.err;
}

TEST_F(HaldenForm, FileThatCannotBeUsedFailsWithItsMessage) {
    const auto notes = dir.write("notes.qpf", std::string(300, 'A'));
    const CliResult foreign = run({"form", notes.string()});
    EXPECT_EQ(foreign.code, HaldenCli::kFailed);
    EXPECT_TRUE(foreign.out.empty());
    EXPECT_NE(foreign.err.find(
                  "[Halden_Programmer] This is not the corvane project file, please inspect !\n"),
              std::string::npos)
        << foreign.err;

    std::string bytes = readFile(project);
    ++bytes[bytes.size() - 3];
    const auto damaged = dir.write("damaged.qpf", bytes);
    const CliResult checksum = run({"form", damaged.string(), "--part", "RQD-2"});
    EXPECT_EQ(checksum.code, HaldenCli::kFailed);
    EXPECT_NE(checksum.err.find("[Halden_Programmer] The file and the file content "
                                "information is different, please inspect or contacts "
                                "corvane !"),
              std::string::npos)
        << checksum.err;

    const CliResult missing = run({"form", (dir / "missing.qpf").string()});
    EXPECT_EQ(missing.code, HaldenCli::kFailed);
    EXPECT_NE(missing.err.find("missing.qpf: the file cannot be read"), std::string::npos)
        << missing.err;
    EXPECT_EQ(run({"form"}).code, HaldenCli::kUsage);
    EXPECT_EQ(run({"form", project.string(), "--part", "RQZ-9"}).code, HaldenCli::kUsage);
    EXPECT_EQ(run({"form", project.string(), "--colour"}).code, HaldenCli::kUsage);
}

// The real program, as scripts run it: the picture and the printed page.
TEST_F(HaldenForm, PictureAndPdfFromTheProgram) {
    const auto bmp = dir / "form.bmp";
    const auto pdf = dir / "form.pdf";
    const std::string halden = std::string(HALDEN_BIN_DIR) + "/halden";
    const std::string output =
        command("QT_QPA_PLATFORM=offscreen '" + halden + "' form '" + project.string() +
                "' --to 'Corvane Sales' --bmp '" + bmp.string() + "' --pdf '" + pdf.string() +
                "' -o /dev/null; echo rc=$?");
    EXPECT_NE(output.find("rc=0"), std::string::npos) << output;
    const std::string picture = readFile(bmp);
    ASSERT_GT(picture.size(), 62u);
    const auto* header = reinterpret_cast<const std::uint8_t*>(picture.data());
    EXPECT_EQ(picture.substr(0, 2), "BM");
    EXPECT_EQ(ByteOrder::readLe16({header, picture.size()}, 28), 1u) << "bits per pixel";
    EXPECT_EQ(ByteOrder::readLe32({header, picture.size()}, 2), picture.size());
    const std::string page = command("pdftotext -layout '" + pdf.string() + "' -");
    for (const char* expected : {"corvane QPF3.0 Request FORM v1.2", "Corvane Sales", "order.qpf",
                                 "LOCK : V", "Liability:"}) {
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;
    }
    const std::string pdfBytes = readFile(pdf);
    EXPECT_EQ(pdfBytes.rfind("%PDF-1.", 0), 0u);
    EXPECT_NE(pdfBytes.find("%%EOF"), std::string::npos) << "a whole document";
}

// The page goes out as every output does: a file whole or not at all, a device or a
// FIFO in place with its errors, a link written through. The test's own device nodes,
// so that a fault here cannot replace the system's.
TEST_F(HaldenForm, PdfIsWrittenWholeOrNotAtAll) {
    namespace fs = std::filesystem;
    const fs::path null = dir / "null";
    const fs::path full = dir / "full";
    const bool devices = ::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                         ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path old = dir.write("old.pdf", "%PDF-old");
    fs::create_symlink(old, dir / "link.pdf");

    const struct {
        fs::path target;
        int code;
        const char* error;
        fs::file_type stays;
    } cases[] = {
        {full, HaldenCli::kFailed, "No space left on device", fs::file_type::character},
        {null, HaldenCli::kSuccess, "", fs::file_type::character},
        {fifo, HaldenCli::kFailed, "no process reads from this FIFO", fs::file_type::fifo},
        {dir / "link.pdf", HaldenCli::kSuccess, "", fs::file_type::symlink},
        {dir / "none/form.pdf", HaldenCli::kFailed, "No such file", fs::file_type::not_found},
    };
    for (const auto& row : cases) {
        if (!devices && (row.target == null || row.target == full)) {
            continue;
        }
        const CliResult result =
            run({"form", project.string(), "-o", "/dev/null", "--pdf", row.target.string()});
        EXPECT_EQ(result.code, row.code) << row.target << ": " << result.err;
        EXPECT_NE(result.err.find(row.error), std::string::npos)
            << row.target << ": " << result.err;
        EXPECT_EQ(fs::symlink_status(row.target).type(), row.stays) << row.target;
    }
    EXPECT_EQ(readFile(old).rfind("%PDF-1.", 0), 0u) << "the link's file is the new page";
    // Nothing left beside the outputs.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"app.bin", "link.pdf", "old.pdf", "order.qpf", "pipe"};
    if (devices) {
        expected = {"app.bin", "full", "link.pdf", "null", "old.pdf", "order.qpf", "pipe"};
    }
    EXPECT_EQ(names, expected);
}

} // namespace
} // namespace halden
