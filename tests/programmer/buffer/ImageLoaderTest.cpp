#include "programmer/buffer/ImageLoader.h"
#include "programmer/buffer/CodeBuffer.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/core/ProgrammerCore.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/ResourceBlobBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The code buffer as a plain array that counts what was shown in it.
class ArrayTarget : public CodeBuffer {
public:
    Bytes codeBytes(std::size_t count) const override {
        return Bytes(buffer.begin(), buffer.begin() + std::min(count, buffer.size()));
    }
    std::size_t length() const override { return buffer.size(); }
    std::uint32_t sum() const override { return CodeChecksum::sum(buffer); }
    void clear() override { buffer.clear(); }
    void setCapacity(std::size_t) override {}
    void display(const std::string& path, std::span<const std::uint8_t> image) override {
        shownPath = path;
        buffer.assign(image.begin(), image.end());
        ++displays;
    }
    Bytes buffer;
    std::string shownPath;
    int displays = 0;
};

class ScriptedArea : public AreaChooser {
public:
    std::optional<AreaChoice> chooseArea(std::uint32_t defaultAddress) override {
        offered = defaultAddress;
        return answer;
    }
    std::optional<AreaChoice> answer = AreaChoice{0, true};
    std::uint32_t offered = 0;
};

class ImageLoaderTest : public testing::Test {
protected:
    void SetUp() override {
        core.applyPart(36); // RQD-1: 0x18000 bytes of flash, area address 0x16C00
        core.setAreaChooser(&area);
    }

    std::string file(const std::string& name, const Bytes& content) {
        return dir.write(name, std::string(content.begin(), content.end())).string();
    }
    ImageLoader::Outcome load(const std::string& path, std::optional<AreaChoice> choice) {
        area.answer = choice;
        return loader.LoadImageFile(path, true);
    }

    test::TempDir dir;
    test::RecordingMessageService messages;
    ArrayTarget target;
    ScriptedArea area;
    ProgrammerCore core{{messages, target}};
    PartSettings& part = core.part();
    ProjectRecord& project = core.project();
    ImageLoader& loader = core.loader();
};

TEST_F(ImageLoaderTest, IapLoadPadsWithFFAndApLoadMergesWithoutGrowing) {
    const Bytes code(0x100, 0x11);
    EXPECT_EQ(load(file("iap.bin", code), AreaChoice{0x16C00, true}), ImageLoader::Outcome::Loaded);
    EXPECT_EQ(area.offered, 0x16C00u);
    ASSERT_EQ(target.buffer.size(), 0x16D00u);
    EXPECT_EQ(target.buffer[0x16BFF], 0xFF);
    EXPECT_EQ(target.buffer[0x16C00], 0x11);
    EXPECT_EQ(part.record().codeSize, 0x16D00u);
    EXPECT_EQ(part.record().codeChecksum, CodeChecksum::compute(target.buffer));
    EXPECT_EQ(project.codeFileName, "iap.bin");
    EXPECT_EQ(project.codeFileNameLength, 7);

    ASSERT_EQ(load(file("base.bin", Bytes(0x100, 0x22)), AreaChoice{0, true}),
              ImageLoader::Outcome::Loaded);
    ASSERT_EQ(load(file("patch.bin", Bytes(0x10, 0x33)), AreaChoice{0, false}),
              ImageLoader::Outcome::Loaded);
    ASSERT_EQ(target.buffer.size(), 0x100u);
    EXPECT_EQ(target.buffer[0x0F], 0x33);
    EXPECT_EQ(target.buffer[0x10], 0x22);
    EXPECT_EQ(target.shownPath, (dir / "patch.bin").string());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ImageLoaderTest, SizeWarningAtTheLimit) {
    struct Case {
        const char* name;
        std::size_t size;
        std::uint32_t address;
        std::optional<MessageAnswer> answer; // nothing: no warning expected
        std::size_t bufferSize;
    };
    const Case cases[] = {
        {"exactly the limit", 0x18000, 0, std::nullopt, 0x18000},
        {"one byte more, OK", 0x18001, 0, MessageAnswer::Ok, 0x18000},
        {"one byte more at an address, OK", 0x1401, 0x16C00, MessageAnswer::Ok, 0x18000},
        {"one byte more, Cancel", 0x18001, 0, MessageAnswer::Cancel, 0},
    };
    for (const auto& c : cases) {
        target = ArrayTarget{};
        core.codeChanged();
        messages.messages.clear();
        messages.beeps.clear();
        if (c.answer) {
            messages.answers.push_back(*c.answer);
        }
        load(file("big.bin", Bytes(c.size, 0x5A)), AreaChoice{c.address, true});
        EXPECT_EQ(target.buffer.size(), c.bufferSize) << c.name;
        ASSERT_EQ(messages.messages.size(), c.answer ? 1u : 0u) << c.name;
        if (c.answer) {
            EXPECT_EQ(messages.messages[0].text,
                      "File size is too large, file data will be truncated !");
            EXPECT_EQ(messages.messages[0].caption, "Warning !");
            EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::OkCancel);
            EXPECT_EQ(messages.beeps, std::vector<MessageIcon>{MessageIcon::Question});
        }
    }
}

// Enter at the size warning must not cut the file: Cancel is the default button.
TEST_F(ImageLoaderTest, SizeWarningDefaultsToCancel) {
    const std::string big = file("big.bin", Bytes(0x18001, 0x5A));
    EXPECT_EQ(load(big, AreaChoice{0, true}), ImageLoader::Outcome::Cancelled);
    EXPECT_TRUE(target.buffer.empty());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].style.textId, 1108);
    EXPECT_EQ(MessageService::defaultAnswer(messages.messages[0].style), MessageAnswer::Cancel);

    // Answered OK by its text ID, it cuts the file to the flash.
    messages.answersById[1108] = MessageAnswer::Ok;
    EXPECT_EQ(load(big, AreaChoice{0, true}), ImageLoader::Outcome::Loaded);
    EXPECT_EQ(target.buffer.size(), 0x18000u);
    EXPECT_EQ(part.record().codeSize, 0x18000u);
}

TEST_F(ImageLoaderTest, NothingChangesForFilesThatDoNotLoad) {
    load(file("keep.bin", Bytes(0x40, 0x77)), AreaChoice{0, true});
    const Bytes kept = target.buffer;
    struct Case {
        const char* name;
        std::string path;
        std::optional<AreaChoice> choice;
        ImageLoader::Outcome outcome;
    };
    const Case cases[] = {
        {"missing", (dir / "none.bin").string(), AreaChoice{0, true},
         ImageLoader::Outcome::Unreadable},
        {"a folder", dir.path().string(), AreaChoice{0, true}, ImageLoader::Outcome::Unreadable},
        {"empty", file("empty.bin", {}), AreaChoice{0, true}, ImageLoader::Outcome::Empty},
        {"area cancelled", file("x.bin", {1}), std::nullopt, ImageLoader::Outcome::Cancelled},
        {"address beyond the flash", file("y.bin", {1}), AreaChoice{0x18000, true},
         ImageLoader::Outcome::Refused},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(load(c.path, c.choice), c.outcome) << c.name;
        EXPECT_EQ(target.buffer, kept) << c.name;
        EXPECT_EQ(part.record().codeSize, kept.size()) << c.name;
    }
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Error !");
    EXPECT_NE(messages.messages[0].text.find("0x18000"), std::string::npos);
}

TEST_F(ImageLoaderTest, ExtensionChoosesTheFormat) {
    const std::string hex = ":020000041234B4\n:02000000ABCD86\n";
    messages.answersById[1108] = MessageAnswer::Ok;
    ASSERT_EQ(load(file("code.HEX", Bytes(hex.begin(), hex.end())), AreaChoice{0, true}),
              ImageLoader::Outcome::Loaded);
    // All of its data lies far beyond the flash: the truncation warning, and what fits
    // is the gap before it.
    EXPECT_EQ(target.buffer, Bytes(0x18000, 0xFF));
    EXPECT_EQ(messages.messages.size(), 1u);

    const std::string text = ":02000000ABCD86\n";
    load(file("noextension", Bytes(text.begin(), text.end())), AreaChoice{0, true});
    EXPECT_EQ(target.buffer, Bytes(text.begin(), text.end()));
    load(file("code.hex", Bytes(text.begin(), text.end())), AreaChoice{0, true});
    EXPECT_EQ(target.buffer, (Bytes{0xAB, 0xCD}));

    int projects = 0;
    loader.setProjectReader([&](const std::string&, const Bytes&) {
        ++projects;
        return ImageLoader::Outcome::Project;
    });
    EXPECT_EQ(load(file("a.QPF", {1, 2}), AreaChoice{0, true}), ImageLoader::Outcome::Project);
    EXPECT_EQ(projects, 1);
}

TEST_F(ImageLoaderTest, NonInteractiveLoadKeepsTheAddressAndMerges) {
    load(file("a.bin", Bytes(0x20, 1)), AreaChoice{0x100, true});
    area.answer = std::nullopt; // must not be asked
    EXPECT_EQ(loader.LoadImageFile(file("b.bin", Bytes(0x10, 2)), false),
              ImageLoader::Outcome::Loaded);
    ASSERT_EQ(target.buffer.size(), 0x120u);
    EXPECT_EQ(target.buffer[0x100], 2);
    EXPECT_EQ(target.buffer[0x110], 1);
}

// Data beyond the flash end is cut by the size warning, not dropped: the gap up to
// the end stays 0xFF. An empty data record still moves the end.
TEST_F(ImageLoaderTest, HexDataBeyondTheFlashIsCutAtItsEnd) {
    const std::string far = ":1000000011111111111111111111111111111111E0\n"
                            ":020000040001F9\n"
                            ":109000002222222222222222222222222222222240\n";
    messages.answers.push_back(MessageAnswer::Ok);
    ASSERT_EQ(load(file("far.hex", Bytes(far.begin(), far.end())), AreaChoice{0, true}),
              ImageLoader::Outcome::Loaded);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, "File size is too large, file data will be truncated !");
    ASSERT_EQ(target.buffer.size(), 0x18000u);
    EXPECT_EQ(Bytes(target.buffer.begin(), target.buffer.begin() + 16), Bytes(16, 0x11));
    EXPECT_EQ(std::count(target.buffer.begin() + 16, target.buffer.end(), 0xFF), 0x18000 - 16);

    const std::string empty = ":00010000FF\n";
    load(file("empty.hex", Bytes(empty.begin(), empty.end())), AreaChoice{0, true});
    EXPECT_EQ(target.buffer, Bytes(0x100, 0xFF));
}

// A HEX file that lost data records warns with the line and what was loaded, and loads
// what was converted; a handler may refuse it instead.
TEST_F(ImageLoaderTest, HexThatLostDataRecordsWarnsAndStillLoads) {
    const std::string text = ":0400000001020304F2\n:0100040002FF\n:0100050005F5\n";
    const std::string path = file("cut.hex", Bytes(text.begin(), text.end()));
    ASSERT_EQ(load(path, AreaChoice{0, true}), ImageLoader::Outcome::Loaded);
    EXPECT_EQ(target.buffer, (Bytes{1, 2, 3, 4}));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, "Warning !");
    EXPECT_EQ(messages.messages[0].text,
              "cut.hex, line 2: checksum error ends the conversion; the data records from line "
              "2 on were not loaded.\nLoaded: 4 bytes (0x4).");

    const std::string plain = "not a hex file\n";
    load(file("text.hex", Bytes(plain.begin(), plain.end())), AreaChoice{0, true});
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_NE(messages.messages[1].text.find("text.hex, the file holds no data record"),
              std::string::npos);

    std::string refused;
    loader.setHexLossHandler([&](const std::string& p, const std::string& loss, std::size_t) {
        refused = p + ": " + loss;
        return false;
    });
    target = ArrayTarget{};
    EXPECT_EQ(load(path, AreaChoice{0, true}), ImageLoader::Outcome::HexIncomplete);
    EXPECT_TRUE(target.buffer.empty());
    EXPECT_NE(refused.find("cut.hex: line 2"), std::string::npos);
}

TEST_F(ImageLoaderTest, UnreadableFilesSayWhy) {
    EXPECT_EQ(load((dir / "none.bin").string(), AreaChoice{0, true}),
              ImageLoader::Outcome::Unreadable);
    EXPECT_EQ(loader.unreadableReason(), "No such file or directory");
    EXPECT_EQ(load(dir.path().string(), AreaChoice{0, true}), ImageLoader::Outcome::Unreadable);
    EXPECT_NE(loader.unreadableReason().find("not a regular file"), std::string::npos);
    const auto big = dir / "big.bin";
    std::filesystem::resize_file(dir.write("big.bin", ""), ImageLoader::kMaxFileSize + 1);
    EXPECT_EQ(load(big.string(), AreaChoice{0, true}), ImageLoader::Outcome::Unreadable);
    EXPECT_EQ(loader.unreadableReason(), "larger than 256 MiB");
}

TEST(ImageLoader, ImageLimitTakesTheSecondNumberWhenGiven) {
    const auto blob = test::ResourceBlobBuilder()
                          .table(4096 + 1, {{1, u"0x8000"}})
                          .table(4096 + 2, {{1, u"0x8000|0x4000"}})
                          .table(4096 + 3, {{1, u"0x8000, 1024"}})
                          .table(4096 + 4, {{1, u"0x8000 "}})
                          .build();
    const KeyedTables tables{ResourceDirectory(blob)};
    const ChipCatalogue catalogue(tables);
    EXPECT_EQ(ImageLoader::imageLimit(catalogue, 1), 0x8000u);
    EXPECT_EQ(ImageLoader::imageLimit(catalogue, 2), 0x4000u);
    EXPECT_EQ(ImageLoader::imageLimit(catalogue, 3), 1024u);
    EXPECT_EQ(ImageLoader::imageLimit(catalogue, 4), 0x8000u);
    EXPECT_EQ(ImageLoader::imageLimit(catalogue, 5), 0u);
}

} // namespace
} // namespace halden
