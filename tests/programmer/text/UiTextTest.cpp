#include "programmer/text/UiText.h"
#include "common/ByteOrder.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/TextMessage.h"
#include "tests/support/RecordingMessageService.h"

#include <gtest/gtest.h>

#include <string>

namespace halden {
namespace {

// A programmer-like resource blob with one table, by default the English one.
std::vector<std::uint8_t> oneTableBlob(std::uint16_t key, const std::u16string& text,
                                       std::uint32_t tableId = 256) {
    std::vector<std::uint8_t> table;
    ByteOrder::appendLe16(table, key);
    for (char16_t unit : text) {
        ByteOrder::appendLe16(table, unit);
    }
    ByteOrder::appendLe16(table, 0);
    ByteOrder::appendLe16(table, 0xFFFF);
    std::vector<std::uint8_t> blob(ResourceDirectory::kMagic.begin(),
                                   ResourceDirectory::kMagic.end());
    ByteOrder::appendLe32(blob, 1);
    std::string type = "DYNAMIC";
    type.resize(ResourceDirectory::kTypeSize, '\0');
    blob.insert(blob.end(), type.begin(), type.end());
    ByteOrder::appendLe32(blob, tableId);
    ByteOrder::appendLe32(blob, ResourceDirectory::kHeaderSize + ResourceDirectory::kEntrySize);
    ByteOrder::appendLe32(blob, static_cast<std::uint32_t>(table.size()));
    blob.insert(blob.end(), table.begin(), table.end());
    return blob;
}

TEST(UiText, ControlTextIsThePartBeforeTheFirstBar) {
    struct Case {
        std::u16string entry;
        std::u16string label;
        std::u16string tooltip;
    };
    const Case cases[] = {
        {u"Max Counter|How many chips to program", u"Max Counter", u"How many chips to program"},
        {u"a|b|c", u"a", u"b|c"},
        {u"No bar", u"No bar", u""},
        {u"|tip only", u"", u"tip only"},
    };
    for (const auto& c : cases) {
        const auto blob = oneTableBlob(1135, c.entry);
        const KeyedTables tables{ResourceDirectory(blob)};
        const UiText text(tables);
        EXPECT_EQ(text.controlText(1135), c.label);
        EXPECT_EQ(text.tooltip(1135), c.tooltip);
        EXPECT_FALSE(text.controlText(1136));
    }
}

TEST(UiText, LanguageIndexPicksTheTable) {
    const KeyedTables tables(ProgrammerResources::directory());
    UiText text(tables);
    EXPECT_EQ(text.text(1015), u"Exit");
    text.setLanguageIndex(1);
    EXPECT_EQ(text.text(1015), u"退出");
    text.setLanguageIndex(2);
    EXPECT_EQ(text.text(1015), u"");
}

// Every text of the programmer's own has its entry in both languages, in the language's
// own words.
TEST(UiText, OwnTextsHaveAnEntryInEveryLanguage) {
    const KeyedTables tables(ProgrammerResources::directory());
    const UiText english(tables, 0);
    const UiText chinese(tables, 1);
    for (auto id = static_cast<std::uint16_t>(OwnTextId::LanguageMenu);
         id <= static_cast<std::uint16_t>(OwnTextId::FirmwareStoppedAtDownload); ++id) {
        const auto inEnglish = tables.FindTableString(UiText::kFirstOwnTable, id);
        const auto inChinese = tables.FindTableString(UiText::kFirstOwnTable + 1, id);
        ASSERT_TRUE(inEnglish && inChinese) << id;
        EXPECT_NE(*inEnglish, *inChinese) << id;
        EXPECT_FALSE(tables.FindTableString(UiText::kFirstTable, id)) << id << " is the system's";
    }
    EXPECT_FALSE(tables.FindTableString(UiText::kFirstOwnTable,
                                        static_cast<std::uint16_t>(OwnTextId::LanguageMenu) - 1));
    // A text added past the last ID would escape the loop above.
    EXPECT_FALSE(tables.FindTableString(
        UiText::kFirstOwnTable,
        static_cast<std::uint16_t>(OwnTextId::FirmwareStoppedAtDownload) + 1));
    EXPECT_EQ(english.own(OwnTextId::Bytes), u"Bytes");
    EXPECT_EQ(chinese.own(OwnTextId::Bytes), u"字节");
}

TEST(UiText, OwnTextsTakeTheirArgumentsAndFallBackToEnglish) {
    const KeyedTables tables(ProgrammerResources::directory());
    const UiText chinese(tables, 1);
    EXPECT_EQ(chinese.own(OwnTextId::IntegerRange, {u"65530"}), u"请输入 0 到 65530 之间的整数。");
    EXPECT_EQ(UiText(tables).own(OwnTextId::CannotWrite, {u"/a.pdf", u"No space"}),
              u"Cannot write /a.pdf: No space");

    // A placeholder without its argument, "%" alone and "%%1" stand as they are.
    const auto blob = oneTableBlob(3010, u"%1 %2 % 100%%1", UiText::kFirstOwnTable);
    const KeyedTables onlyEnglish{ResourceDirectory(blob)};
    EXPECT_EQ(UiText(onlyEnglish, 1).own(OwnTextId::CannotWrite, {u"x"}), u"x %2 % 100%x")
        << "the English entry where the language has none";
    EXPECT_EQ(UiText(onlyEnglish).own(OwnTextId::Bytes), u"");
}

TEST(TextMessage, ShowsTextAndCaptionById) {
    const KeyedTables tables(ProgrammerResources::directory());
    const UiText text(tables);
    test::RecordingMessageService messages;
    messages.answers.push_back(MessageAnswer::Cancel);
    const TextMessage message(messages, text);
    EXPECT_EQ(message.ShowTextMessage(1107, 1108, {MessageButtons::OkCancel, MessageIcon::Warning}),
              MessageAnswer::Cancel);
    // A missing text shows as an empty text.
    message.ShowTextMessage(1101, 1, {});
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].text, "File size is too large, file data will be truncated !");
    EXPECT_EQ(messages.messages[0].caption, "Warning !");
    EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Warning);
    EXPECT_EQ(messages.messages[1].text, "");
    EXPECT_EQ(messages.messages[1].caption, "Error !");
}

} // namespace
} // namespace halden
