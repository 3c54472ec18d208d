#include "common/ElfSectionReader.h"
#include "common/ResourceDirectory.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Status = ElfSectionReader::Status;

TEST(ElfSectionReader, ReadsTheResourceSectionOfTheLinkLibrary) {
    const auto result = ElfSectionReader::read(std::string(HALDEN_BIN_DIR) + "/M3_Tavro.so",
                                               ResourceDirectory::kSectionName);
    ASSERT_EQ(result.status, Status::Ok);
    EXPECT_TRUE(ResourceDirectory(result.bytes).valid());
}

TEST(ElfSectionReader, TellsWhyNothingWasRead) {
    test::TempDir dir;
    const auto text = dir.write("notes.so", "not an object file");
    EXPECT_EQ(ElfSectionReader::read((dir / "missing.so").string(), ".x").status,
              Status::FileNotFound);
    EXPECT_EQ(ElfSectionReader::read(text.string(), ".x").status, Status::BadFormat);
    EXPECT_EQ(ElfSectionReader::read(dir.path().string(), ".x").status, Status::BadFormat);
    EXPECT_EQ(ElfSectionReader::read(std::string(HALDEN_BIN_DIR) + "/HexEdit.so",
                                     ResourceDirectory::kSectionName)
                  .status,
              Status::NoSection);
}

TEST(ElfSectionReader, RefusesHeadersThatPointOutsideTheFile) {
    std::vector<std::uint8_t> header(64, 0);
    header[0] = 0x7F, header[1] = 'E', header[2] = 'L', header[3] = 'F', header[4] = 2,
    header[5] = 1;
    // Section table far past the end of the file.
    header[0x2F] = 0x7F;
    header[0x3A] = 64, header[0x3C] = 3, header[0x3E] = 1;
    EXPECT_EQ(ElfSectionReader::parse(header, ".text").status, Status::BadFormat);
    header.resize(100);
    EXPECT_EQ(ElfSectionReader::parse(header, ".text").status, Status::BadFormat);
}

} // namespace
} // namespace halden
