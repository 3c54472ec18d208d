#include "programmer/catalogue/PartSettings.h"
#include "programmer/catalogue/PartList.h"
#include "programmer/text/ProgrammerResources.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/ResourceBlobBuilder.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

class PartSettingsTest : public testing::Test {
protected:
    std::size_t boxNamed(const std::u16string& label) const {
        for (std::size_t n = 0; n < settings.boxes().size(); ++n) {
            if (settings.boxes()[n].label == label) {
                return n;
            }
        }
        ADD_FAILURE() << "no box " << std::string(label.begin(), label.end());
        return 0;
    }
    std::uint8_t byte(std::size_t index) const { return settings.record().optionBytes[index]; }

    KeyedTables tables{ProgrammerResources::directory()};
    ChipCatalogue catalogue{tables};
    PartSettings settings{catalogue};
};

TEST_F(PartSettingsTest, ApplyFillsTheRecordAndLabelsTheBoxes) {
    ASSERT_TRUE(settings.apply(36));
    const PartRecord& record = settings.record();
    EXPECT_EQ(record.partIndex, 36);
    EXPECT_EQ(record.flashSize, 0x18000u);
    EXPECT_EQ(record.optionCount, 128);
    EXPECT_EQ(record.partName, u"RQD-1");
    EXPECT_EQ(record.chipIdMask, 0xFFFFFFFFu);
    EXPECT_EQ(record.parameterBytes, (std::array<std::uint8_t, 3>{0x14, 0x24, 0x0D}));
    EXPECT_EQ(record.defaultsFlag, 1);
    EXPECT_EQ(byte(128), 0xFF); // beyond the count
    EXPECT_EQ(settings.boxes()[0].label, u"LOCK");
    EXPECT_EQ(settings.boxes()[0].tooltip, u"Lock Device");
    EXPECT_TRUE(settings.boxes()[5].enabled);
    EXPECT_FALSE(settings.boxes()[6].enabled);
    EXPECT_TRUE(settings.boxes()[6].label.empty());

    ASSERT_TRUE(settings.apply(42, 1));
    EXPECT_EQ(settings.boxes()[0].tooltip, u"锁定器件"); // second language
}

TEST_F(PartSettingsTest, ShippedDefaultsShowUntickedButWdgSwOnRqe1AndRqe2) {
    for (const std::uint32_t index : {36u, 37u, 38u, 39u, 42u, 45u, 54u, 57u}) {
        ASSERT_TRUE(settings.apply(index));
        for (std::size_t n = 0; n < settings.boxes().size(); ++n) {
            const bool wdgSw =
                (index == 42 || index == 45) && settings.boxes()[n].label == u"WDG_SW";
            EXPECT_EQ(settings.boxes()[n].ticked, wdgSw) << index << " box " << n;
        }
    }
}

TEST_F(PartSettingsTest, LockOnRqd1BuildsBothDirections) {
    settings.apply(36);
    const std::size_t lock = boxNamed(u"LOCK");
    settings.setBox(lock, true);
    EXPECT_EQ(byte(16), 0x83);
    EXPECT_EQ(byte(20), 0x7C);
    EXPECT_EQ(byte(24), 0x00);
    EXPECT_EQ(byte(25), 0xFF);
    for (const std::size_t i : {0, 1, 32, 33}) {
        EXPECT_EQ(byte(i), 0x55) << i;
    }
    EXPECT_EQ(byte(124), static_cast<std::uint8_t>(~byte(112)));

    settings.setBox(boxNamed(u"RST_STOP"), true);
    EXPECT_EQ(byte(112) & 0x02, 0x02);
    EXPECT_EQ(byte(124), static_cast<std::uint8_t>(~byte(112)));

    settings.setBox(lock, false);
    EXPECT_EQ(byte(16), 0x0C);
    EXPECT_EQ(byte(20), 0xF3);
    EXPECT_EQ(byte(24), 0xA5);
    EXPECT_EQ(byte(25), 0x5A);
    for (const std::size_t i : {0, 1, 32, 33}) {
        EXPECT_EQ(byte(i), 0x00) << i;
    }
    // The show direction reads back what the build wrote.
    settings.setBox(boxNamed(u"SRAM_DIS"), true);
    auto before = settings.boxes();
    settings.show();
    for (std::size_t n = 0; n < before.size(); ++n) {
        EXPECT_EQ(settings.boxes()[n].ticked, before[n].ticked) << n;
    }
}

TEST_F(PartSettingsTest, NRstStopOnRqe1ClearsItsBitAndComplementsB3) {
    settings.apply(42);
    const std::size_t stop = boxNamed(u"nRST_STOP");
    settings.setBox(stop, true);
    EXPECT_EQ(byte(2) & 0x02, 0);
    EXPECT_EQ(byte(3), static_cast<std::uint8_t>(~byte(2)));
    settings.setBox(stop, false);
    EXPECT_EQ(byte(2) & 0x02, 0x02);
    EXPECT_EQ(byte(3), static_cast<std::uint8_t>(~byte(2)));
    settings.setBox(boxNamed(u"RDP"), true);
    EXPECT_EQ(byte(0), 0xFF);
    EXPECT_EQ(byte(1), 0xFF);
    settings.setBox(boxNamed(u"WRP"), true);
    EXPECT_EQ(byte(8), 0x00);
    EXPECT_EQ(byte(9), 0xFF);
}

TEST_F(PartSettingsTest, Rqe3IgnoresItsBoxes) {
    settings.apply(54);
    const auto before = settings.record().optionBytes;
    for (std::size_t n = 0; n < 5; ++n) {
        EXPECT_TRUE(settings.boxes()[n].enabled);
        settings.setBox(n, true);
    }
    EXPECT_EQ(settings.record().optionBytes, before);
}

TEST_F(PartSettingsTest, ReapplyingTheSamePartChangesNothingUnlessForced) {
    settings.apply(36);
    settings.setBox(boxNamed(u"LOCK"), true);
    EXPECT_FALSE(settings.apply(36));
    EXPECT_EQ(byte(16), 0x83);
    EXPECT_TRUE(settings.boxes()[0].ticked);
    settings.forceNextApply();
    EXPECT_TRUE(settings.apply(36));
    EXPECT_EQ(byte(16), 0x0C);
}

TEST_F(PartSettingsTest, SaveWritesBodyIdAndTheOptionBytes) {
    test::MemorySettingsStore store;
    settings.apply(42);
    settings.save(store, 42);
    EXPECT_EQ(store.readInt("Settings", "BodyID", -1), 42);
    const auto por = store.readBinary("Settings", "pOR");
    ASSERT_TRUE(por);
    EXPECT_EQ(por->size(), 16u);
    EXPECT_EQ((*por)[3], static_cast<std::uint8_t>(~(*por)[2]));
}

TEST(PartSettings, ShortDefaultListAndMalformedRowsFromADescriptor) {
    // Part 7 of an unlisted series: three option bytes given of eight, one bad row.
    const auto blob = test::ResourceBlobBuilder()
                          .table(4096 + 7, {{0, u"RQB-7 remark"},
                                            {1, u"0x8000"},
                                            {2, u"8"},
                                            {15, u"1,2,3"},
                                            {21, u"2"},
                                            {256, u"1|0x01|GOOD|fine"},
                                            {257, u"1|0x02"},
                                            {258, u"999|0x02|FAR|outside"}})
                          .build();
    const KeyedTables tables{ResourceDirectory(blob)};
    const ChipCatalogue catalogue(tables);
    PartSettings settings(catalogue);
    ASSERT_TRUE(settings.apply(7));
    const auto& bytes = settings.record().optionBytes;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{1, 2, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(settings.record().partName, u"RQB-7");
    EXPECT_TRUE(settings.boxes()[0].enabled);
    EXPECT_FALSE(settings.boxes()[1].enabled);
    EXPECT_FALSE(settings.boxes()[2].enabled);
    EXPECT_TRUE(PartList::forSeries(catalogue, 4).empty());
}

TEST(PartList, OrdersByIndexModulo128) {
    KeyedTables tables{ProgrammerResources::directory()};
    ChipCatalogue catalogue{tables};
    const auto epsilon = PartList::forSeries(catalogue, 5);
    std::vector<std::u16string> names;
    for (const auto& item : epsilon) {
        names.push_back(item.name);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"RQE-1", u"RQE-2", u"RQE-3", u"RQE-4", u"RQE-5",
                                                  u"RQE-6"}));

    const auto blob = test::ResourceBlobBuilder()
                          .table(4096 + 3, {{0, u"C"}, {21, u"4"}})
                          .table(4096 + 130, {{0, u"B"}, {21, u"4"}})
                          .table(4096 + 2, {{0, u"A"}, {21, u"4"}})
                          .table(4096 + 258, {{0, u"D"}, {21, u"4"}})
                          .table(4096 + 5, {{21, u"4"}}) // no name: not listed
                          .build();
    const KeyedTables custom{ResourceDirectory(blob)};
    const auto items = PartList::forSeries(ChipCatalogue(custom), 4);
    EXPECT_EQ(items, (std::vector<PartList::Item>{{u"A", 2}, {u"B", 130}, {u"D", 258}, {u"C", 3}}));
}

TEST(PartList, CommandLineNames) {
    const std::vector<PartList::Item> delta = {
        {u"RQD-1", 36}, {u"RQD-2", 37}, {u"RQD-3", 38}, {u"RQD-4", 39}};
    struct Case {
        std::u16string name;
        std::optional<std::size_t> item;
    };
    const Case cases[] = {
        {u"rqd-3", 2}, {u"RQD", 1}, {u"RQD-1", 0}, {u"RQE-1", std::nullopt}, {u"", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PartList::findCommandLineName(delta, c.name), c.item)
            << std::string(c.name.begin(), c.name.end());
    }

    const std::vector<PartList::Item> forms = {{u"RQX-5(", 1}, {u"RQX-1(2)", 2}, {u"RQY(Z)", 3}};
    int malformed = 0;
    const auto count = [&] { ++malformed; };
    EXPECT_EQ(PartList::findCommandLineName(forms, u"rqx-2", count), 1u);
    EXPECT_EQ(malformed, 1);
    EXPECT_EQ(PartList::findCommandLineName(forms, u"RQZ", count), 2u);
    EXPECT_EQ(PartList::findCommandLineName(forms, u"RQX-9", count), std::nullopt);
    EXPECT_EQ(malformed, 3);
}

} // namespace
} // namespace halden
