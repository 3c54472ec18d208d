#include "tavro/emulator/BuiltInParts.h"
#include "common/Unicode.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/text/ProgrammerResources.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

// The emulator's table is generated from the descriptor files at build time; it must
// say of every part what the programmer's catalogue says, and know no other part.
TEST(BuiltInParts, AgreeWithTheProgrammersCatalogue) {
    const KeyedTables tables(ProgrammerResources::directory());
    const ChipCatalogue catalogue(tables);
    const EmulatedPartTable table = BuiltInParts::table();
    const auto indices = catalogue.partIndices();
    ASSERT_EQ(table.parts().size(), indices.size());
    for (const std::uint32_t index : indices) {
        const std::string name = Unicode::toUtf8(*catalogue.partName(index));
        SCOPED_TRACE(name);
        const auto part = table.find(name);
        ASSERT_TRUE(part);
        EXPECT_EQ(part->index, index);
        EXPECT_EQ(part->chipId, catalogue.number(index, ChipCatalogue::kChipId));
        EXPECT_EQ(part->flashSize, catalogue.number(index, ChipCatalogue::kFlashSize));
        EXPECT_EQ(part->optionCount, catalogue.number(index, ChipCatalogue::kOptionCount));
        // What the programmer sends with CMD_OPEN_TARGET is what the emulated chip wants.
        EXPECT_EQ(part->parameter0,
                  static_cast<std::uint8_t>(catalogue.number(index, ChipCatalogue::kParameter0)));
        EXPECT_EQ(part->parameter1,
                  static_cast<std::uint8_t>(catalogue.number(index, ChipCatalogue::kParameter1)));
        EXPECT_EQ(table.chipIdOf(static_cast<std::uint16_t>(index)), part->chipId);
    }
    EXPECT_FALSE(table.chipIdOf(0));
    EXPECT_FALSE(table.find("RQD"));
}

} // namespace
} // namespace halden
