#include "programmer/buffer/ProjectFile.h"
#include "common/ByteOrder.h"
#include "common/Clock.h"
#include "programmer/buffer/CodeChecksum.h"
#include "programmer/buffer/MemoryCodeBuffer.h"
#include "programmer/buffer/ProjectSaver.h"
#include "programmer/core/ProgrammerCore.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

class FixedClock : public Clock {
public:
    LocalTime localTime() const override { return time; }
    std::time_t calendarSeconds() const override { return seconds; }
    std::uint32_t milliseconds() const override { return ticks; }
    LocalTime time{2024, 3, 5, 14, 7, 9};
    std::time_t seconds = 1709647629;
    std::uint32_t ticks = 123456;
};

// A project's world without a window: the core with a plain code buffer; a project's
// part is applied directly, as where there are no lists, and each switch is recorded.
class ProjectTest : public testing::Test, public ProjectPartHost {
protected:
    void SetUp() override { apply(36); }

    void selectProjectPart(std::uint16_t partIndex, bool selectSeries) override {
        selections.push_back({partIndex, selectSeries});
        // Without a list item for it (0xFFFF), nothing is selected: part 0 is applied.
        core.applyProjectPart(partIndex);
    }
    void optionBoxesRestored() override {}

    void apply(std::uint32_t index) { core.applyPart(index); }
    void setCode(const Bytes& code) {
        buffer.display("", code);
        core.codeChanged();
    }
    Bytes save(const Bytes& code, const std::string& name = "app.bin") {
        setCode(code);
        project.codeFileName = name;
        project.codeFileNameLength = static_cast<std::uint8_t>(name.size());
        const std::string path = (dir / "p.qpf").string();
        EXPECT_EQ(core.saveProject(path), "");
        return readFile(path);
    }
    static Bytes readFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    ImageLoader::Outcome load(const Bytes& file) {
        const std::string path =
            dir.write("in.qpf", std::string(file.begin(), file.end())).string();
        return core.loadFile(path, false);
    }
    // Writes a trailer field and signs the trailer again, so only that field differs.
    static void patch(Bytes& file, std::size_t fromEnd, const Bytes& bytes) {
        std::size_t at = file.size() - fromEnd;
        for (const std::uint8_t byte : bytes) {
            file[at++] = byte;
        }
        const std::size_t trailerLength = ByteOrder::readBe16(file, file.size() - 2);
        const auto sum = ProjectFile::trailerChecksum(std::span(file).last(trailerLength));
        file[file.size() - 4] = static_cast<std::uint8_t>(sum >> 8);
        file[file.size() - 3] = static_cast<std::uint8_t>(sum);
    }

    test::TempDir dir;
    FixedClock clock;
    test::RecordingMessageService messages;
    MemoryCodeBuffer buffer;
    ProgrammerCore core{{.messages = messages, .code = buffer, .partHost = this, .clock = &clock}};
    PartSettings& part = core.part();
    ProjectRecord& project = core.project();
    std::vector<std::pair<std::uint16_t, bool>> selections;
};

Bytes image(std::size_t size, std::uint8_t seed = 1) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

TEST_F(ProjectTest, SavedFileLayout) {
    const Bytes file = save(image(2048));
    ASSERT_EQ(file.size(), 2288u);
    EXPECT_EQ(project.trailerLength, 240);
    EXPECT_EQ(file[file.size() - 2], 0x00);
    EXPECT_EQ(file[file.size() - 1], 0xF0);
    EXPECT_EQ(file[file.size() - 5], 0x17);
    const std::size_t t = 2048; // trailer start
    EXPECT_EQ(std::string(file.begin() + t, file.begin() + t + 16), "corvane. QPF 3.0");
    EXPECT_EQ(file[t + 16], 7);
    EXPECT_EQ(std::string(file.begin() + t + 17, file.begin() + t + 24), "app.bin");
    EXPECT_EQ(ByteOrder::readBe32(file, t + 24), 2048u);                              // code size
    EXPECT_EQ(ByteOrder::readBe16(file, t + 28), CodeChecksum::compute(image(2048))); // checksum
    EXPECT_EQ(ByteOrder::readBe16(file, t + 36), 36);                                 // part index
    EXPECT_EQ(file[t + 39], 176);                                                     // M
    const std::size_t area = t + 40;
    EXPECT_EQ(file[area + 16], 0x0C); // option byte 16 as the boxes build it
    EXPECT_EQ(file[area + 127], 0xFF);
    EXPECT_EQ(file[area + 164], 5); // reserved byte
    EXPECT_EQ(ByteOrder::readBe32(file, area + 160), project.randomKey);
    EXPECT_EQ(file[area + 176], 0x00); // reserved after the options
    EXPECT_EQ(file[area + 177], 0xFF);
    EXPECT_EQ(file[area + 182], 0); // S
    EXPECT_EQ(ByteOrder::readBe16(file, area + 183), project.atpgKey);
    EXPECT_EQ(Bytes(file.begin() + area + 185, file.begin() + area + 191),
              (Bytes{0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}));
    EXPECT_EQ(ByteOrder::readBe16(file, area + 191), 0x0302);
    EXPECT_EQ(ByteOrder::readBe16(file, area + 193), 0x0100);
    EXPECT_EQ(ProjectFile::CheckProjectFile(file), 0x17);
}

TEST_F(ProjectTest, TrailerChecksumKeepsItsLow16Bits) {
    project.ispFileName = std::string(250, '\xFF');
    project.ispFileNameLength = 250;
    const Bytes file = save(image(16));
    const std::size_t trailerLength = ByteOrder::readBe16(file, file.size() - 2);
    const auto trailer = std::span(file).last(trailerLength);
    EXPECT_GT(CodeChecksum::sum(trailer) - trailer[trailerLength - 4] - trailer[trailerLength - 3],
              0xFFFFu);
    EXPECT_EQ(ProjectFile::CheckProjectFile(file), 0x17);
    EXPECT_EQ(load(file), ImageLoader::Outcome::Project);
    EXPECT_EQ(core.lastProjectResult(), ProjectReader::Result::Loaded);
    EXPECT_EQ(project.ispFileName, std::string(250, '\xFF'));
}

TEST_F(ProjectTest, LoadRestoresPartOptionsAndCode) {
    apply(39); // RQD-4
    part.setBox(0, true);
    const Bytes code = image(0x300, 9);
    const Bytes file = save(code);
    apply(42); // another series
    EXPECT_EQ(load(file), ImageLoader::Outcome::Project);
    ASSERT_EQ(core.lastProjectResult(), ProjectReader::Result::Loaded);
    EXPECT_EQ(part.record().partIndex, 39);
    EXPECT_EQ(part.record().defaultsFlag, 0);
    EXPECT_EQ(part.record().optionBytes[16], 0x83);
    EXPECT_TRUE(part.boxes()[0].ticked);
    EXPECT_EQ(buffer.bytes(), code);
    EXPECT_EQ(part.record().codeSize, 0x300u);
    EXPECT_EQ(project.codeFileName, "app.bin");
    EXPECT_EQ(selections.back(), std::make_pair(std::uint16_t{39}, true));
    EXPECT_TRUE(messages.messages.empty());

    // Saving at once changes only the save time, the keys and the trailer checksum.
    clock.time = {2025, 12, 31, 23, 59, 58};
    clock.seconds += 1000;
    clock.ticks += 777;
    const Bytes again = save(code);
    ASSERT_EQ(again.size(), file.size());
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] != again[i]) {
            differing.push_back(file.size() - i);
        }
    }
    const std::set<std::size_t> allowed = {
        4, 3,                   // trailer checksum
        15, 14, 13, 12, 11, 10, // save time
        17, 16,                 // ATPG Key
        // Random Key, at option area offset 160: 57 - 33 + 176 - 160 bytes from the end.
        24 + 16, 24 + 15, 24 + 14, 24 + 13};
    for (const std::size_t fromEnd : differing) {
        EXPECT_TRUE(allowed.count(fromEnd)) << "byte at size - " << fromEnd;
    }
}

TEST_F(ProjectTest, FilesThatFailTheirChecksChangeNothing) {
    const Bytes good = save(image(64));
    setCode(image(10, 3));
    const Bytes keptCode = buffer.bytes();
    struct Case {
        const char* name;
        Bytes file;
    };
    auto variant = [&](auto change) {
        Bytes file = good;
        change(file);
        return file;
    };
    const std::size_t t = 64;
    const Case cases[] = {
        {"an image byte changed", variant([](Bytes& f) { f[5] ^= 1; })},
        {"type 0x18", variant([](Bytes& f) { patch(f, 5, {0x18}); })},
        {"trailer checksum off", variant([](Bytes& f) { f[f.size() - 3] ^= 1; })},
        {"T larger than the file", variant([](Bytes& f) { f[f.size() - 2] = 0x10; })},
        {"T smaller than its fields", variant([](Bytes& f) { f[f.size() - 1] = 56; })},
        {"code size beyond the code", variant([t](Bytes& f) {
             f[t + 24 + 7 - 7 + 2] = 0x10; // code size field, third byte
             patch(f, 1, {f.back()});
         })},
        {"option area above 176", variant([t](Bytes& f) {
             f[t + 39] = 177;
             patch(f, 1, {f.back()});
         })},
        {"shorter than a trailer", Bytes(good.end() - 40, good.end())},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        load(c.file);
        EXPECT_EQ(core.lastProjectResult(), ProjectReader::Result::Incompatible) << c.name;
        ASSERT_EQ(messages.messages.size(), 1u) << c.name;
        EXPECT_EQ(messages.messages[0].text,
                  "This file is incompatible format and unable to open !");
        EXPECT_EQ(messages.messages[0].caption, "Error !");
        EXPECT_EQ(buffer.bytes(), keptCode) << c.name;
        EXPECT_EQ(part.record().partIndex, 36) << c.name;
    }
}

TEST_F(ProjectTest, MagicVersionAndPartRules) {
    const Bytes good = save(image(32));
    struct Case {
        const char* name;
        std::size_t fromEnd;
        Bytes patchBytes;
        std::optional<MessageAnswer> answer;
        ProjectReader::Result result;
        std::string message;
        std::uint16_t partAfter;
    };
    const std::size_t trailerLength = ByteOrder::readBe16(good, good.size() - 2);
    const Case cases[] = {
        {"foreign magic",
         trailerLength,
         {'X'},
         std::nullopt,
         ProjectReader::Result::Rejected,
         "This is not the corvane project file, please inspect !",
         0},
        {"version 0x0303",
         9,
         {0x03, 0x03},
         std::nullopt,
         ProjectReader::Result::Rejected,
         "This AP is not the newest edition, is unable to open the new edition the file, please "
         "contact corvane !",
         0},
        {"version 0x0301, No",
         9,
         {0x03, 0x01},
         MessageAnswer::No,
         ProjectReader::Result::Rejected,
         "This file is old, opening possibly can have information losing, whether has to open ?",
         0},
        {"version 0x0301, Yes",
         9,
         {0x03, 0x01},
         MessageAnswer::Yes,
         ProjectReader::Result::Loaded,
         "This file is old, opening possibly can have information losing, whether has to open ?",
         36},
        {"part 0xFFFF",
         trailerLength - 36,
         {0xFF, 0xFF},
         std::nullopt,
         ProjectReader::Result::Unsupported,
         "The target is not supported!",
         42},
        {"part not in the catalogue",
         trailerLength - 36,
         {0x00, 0x4D},
         std::nullopt,
         ProjectReader::Result::Unsupported,
         "The target is not supported!",
         42},
    };
    for (const auto& c : cases) {
        apply(42);
        setCode(image(8));
        messages.messages.clear();
        messages.answersById.clear();
        if (c.answer) {
            messages.answersById[2004] = *c.answer;
        }
        Bytes file = good;
        patch(file, c.fromEnd, c.patchBytes);
        // Only a project that loaded counts as loaded; the others were refused.
        EXPECT_EQ(load(file), c.result == ProjectReader::Result::Loaded
                                  ? ImageLoader::Outcome::Project
                                  : ImageLoader::Outcome::Refused)
            << c.name;
        EXPECT_EQ(core.lastProjectResult(), c.result) << c.name;
        ASSERT_EQ(messages.messages.size(), 1u) << c.name;
        EXPECT_EQ(messages.messages[0].text, c.message) << c.name;
        EXPECT_EQ(part.record().partIndex, c.partAfter) << c.name;
        if (c.result == ProjectReader::Result::Rejected) {
            EXPECT_TRUE(buffer.bytes().empty()) << c.name;
            EXPECT_EQ(messages.messages[0].caption, "Halden_Programmer") << c.name;
        }
        if (c.result == ProjectReader::Result::Unsupported) {
            EXPECT_EQ(buffer.bytes(), image(8)) << c.name;
        }
    }
}

// Code beyond the part's flash: the buffer keeps what fits, and size and checksum are
// those of what it keeps, not of the file's code.
TEST_F(ProjectTest, CodeSizeAndChecksumFollowTheBufferNotTheFile) {
    apply(42); // 0x40000 bytes of flash
    Bytes file = save(image(0x18010));
    const std::size_t trailerLength = ByteOrder::readBe16(file, file.size() - 2);
    patch(file, trailerLength - 36, {0x00, 0x24}); // part index 36: 0x18000 bytes of flash
    EXPECT_EQ(load(file), ImageLoader::Outcome::Project);
    ASSERT_EQ(buffer.bytes().size(), 0x18000u);
    EXPECT_EQ(part.record().partIndex, 36);
    EXPECT_EQ(part.record().codeSize, 0x18000u);
    EXPECT_EQ(part.record().codeChecksum, CodeChecksum::compute(buffer.bytes()));
}

TEST_F(ProjectTest, NoCodeSelectsTheFilesPartWithAnEmptyBuffer) {
    apply(39);
    save(image(0x10));
    Bytes file = readFile(dir / "p.qpf");
    const Bytes trailerOnly(file.begin() + 0x10, file.end());
    Bytes emptyCode = trailerOnly;
    patch(emptyCode, emptyCode.size() - 17 - 7, {0, 0, 0, 0, 0, 0}); // code size 0, checksum 0
    apply(36);
    setCode(image(8));
    load(emptyCode);
    EXPECT_EQ(core.lastProjectResult(), ProjectReader::Result::Rejected);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(buffer.bytes().empty());
    EXPECT_EQ(selections.back(), std::make_pair(std::uint16_t{39}, false));
}

// Files with an option area shorter than 176 bytes load; their fields inside the area
// are read only as far as it reaches, and a later save keeps the file's M.
TEST_F(ProjectTest, ShortOptionAreasLoadAndKeepTheirLength) {
    struct Case {
        std::uint32_t part;
        std::uint8_t optionAreaLength;
    };
    for (const Case c : {Case{42, 16}, Case{36, 128}, Case{36, 162}}) {
        apply(c.part);
        part.setBox(0, true);
        const Bytes expectedOptions(part.record().optionBytes.begin(),
                                    part.record().optionBytes.begin() + part.record().optionCount);
        project.optionAreaLength = c.optionAreaLength;
        const Bytes file = save(image(0x40, 5));
        ASSERT_EQ(file.size(), 0x40u + 7 + c.optionAreaLength + 57) << int{c.optionAreaLength};
        ASSERT_EQ(ProjectFile::CheckProjectFile(file), 0x17);

        apply(39);
        messages.messages.clear();
        EXPECT_EQ(load(file), ImageLoader::Outcome::Project);
        ASSERT_EQ(core.lastProjectResult(), ProjectReader::Result::Loaded)
            << int{c.optionAreaLength};
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(part.record().partIndex, c.part);
        const std::size_t kept = std::min<std::size_t>(c.optionAreaLength, expectedOptions.size());
        EXPECT_TRUE(std::equal(expectedOptions.begin(), expectedOptions.begin() + kept,
                               part.record().optionBytes.begin()));
        EXPECT_EQ(buffer.bytes(), image(0x40, 5));
        // Not in the file: the reset values stay.
        EXPECT_EQ(project.reservedByte, 5);
        EXPECT_EQ(project.randomKey, 0u);

        const Bytes again = save(image(0x40, 5));
        EXPECT_EQ(again.size(), file.size());
        EXPECT_EQ(ProjectFile::CheckProjectFile(again), 0x17);
        EXPECT_EQ(again[0x40 + 39], c.optionAreaLength);
    }
}

// Filler in the option area is written as 0xFF whatever the loaded file held there,
// while the reserved block and reserved byte travel on.
TEST_F(ProjectTest, SavingALoadedProjectWritesFreshFiller) {
    apply(42); // 16 option bytes
    Bytes file = save(image(0x20));
    const std::size_t area = 0x20 + 40;
    for (std::size_t i = 16; i < 176; ++i) {
        file[area + i] = static_cast<std::uint8_t>(i);
    }
    patch(file, 1, {file.back()});
    ASSERT_EQ(load(file), ImageLoader::Outcome::Project);
    ASSERT_EQ(core.lastProjectResult(), ProjectReader::Result::Loaded);
    const Bytes again = save(image(0x20));
    for (std::size_t i = 16; i < 176; ++i) {
        const bool carried = (i >= 128 && i < 160) || i == 164;
        const bool key = i >= 160 && i < 164;
        if (!key) {
            EXPECT_EQ(again[area + i], carried ? i : 0xFF) << "option area byte " << i;
        }
    }
}

// A trailer longer than its fields: the fields are read from its start and its end, the
// bytes between are not read, and the next save writes the trailer's own length.
TEST_F(ProjectTest, ALongerTrailerReadsFromBothEnds) {
    apply(39);
    const Bytes saved = save(image(0x30, 2));
    Bytes file(saved.begin(), saved.end() - 9);
    file.insert(file.end(), 8, 0xAB);
    file.insert(file.end(), saved.end() - 9, saved.end());
    const std::uint16_t longer = ByteOrder::readBe16(saved, saved.size() - 2) + 8;
    patch(file, 2, {static_cast<std::uint8_t>(longer >> 8), static_cast<std::uint8_t>(longer)});
    apply(36);
    EXPECT_EQ(load(file), ImageLoader::Outcome::Project);
    ASSERT_EQ(core.lastProjectResult(), ProjectReader::Result::Loaded);
    EXPECT_EQ(part.record().partIndex, 39);
    EXPECT_EQ(project.trailerLength, longer);
    EXPECT_EQ(project.version, 0x0302);
    EXPECT_EQ(project.type, 0x17);
    EXPECT_EQ(project.codeFileName, "app.bin");
    EXPECT_EQ(project.saveTime, (std::array<std::uint8_t, 6>{0x18, 0x03, 0x05, 0x0E, 0x07, 0x09}));
    EXPECT_EQ(buffer.bytes(), image(0x30, 2));
    EXPECT_EQ(save(image(0x30, 2)).size(), saved.size());
}

// A project whose code is longer than its part's flash: the buffer keeps the flash, and
// size and checksum, and so the next save, follow what it keeps.
TEST_F(ProjectTest, CodeLongerThanTheFlashIsCutAndSavedAsCut) {
    apply(36); // 0x18000 bytes of flash
    const Bytes code = image(0x18010, 3);
    project.codeFileName = "big.bin";
    project.codeFileNameLength = 7;
    const std::string path = (dir / "big.qpf").string();
    ASSERT_EQ(ProjectSaver::save(path, code, part, project, clock), "");
    apply(39);
    load(readFile(path));
    ASSERT_EQ(core.lastProjectResult(), ProjectReader::Result::Loaded);
    const Bytes kept(code.begin(), code.begin() + 0x18000);
    EXPECT_EQ(buffer.bytes(), kept);
    EXPECT_TRUE(core.loader().cutToFlash());
    EXPECT_EQ(part.record().codeSize, 0x18000u);
    EXPECT_EQ(part.record().codeChecksum, CodeChecksum::compute(kept));
    ASSERT_EQ(ProjectSaver::save(path, buffer.bytes(), part, project, clock), "");
    const Bytes again = readFile(path);
    EXPECT_EQ(ProjectFile::CheckProjectFile(again), 0x17);
    EXPECT_EQ(ByteOrder::readBe32(again, 0x18000 + 24), 0x18000u);
}

} // namespace
} // namespace halden
