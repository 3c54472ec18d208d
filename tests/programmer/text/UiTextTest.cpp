#include "programmer/text/UiText.h"
#include "common/ByteOrder.h"
#include "programmer/text/ProgrammerResources.h"
#include "programmer/text/TextMessage.h"
#include "tests/support/RecordingMessageService.h"

#include <gtest/gtest.h>

#include <string>

namespace halden {
namespace {

// A programmer-like resource blob with one English table.
std::vector<std::uint8_t> oneTableBlob(std::uint16_t key, const std::u16string& text) {
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
    ByteOrder::appendLe32(blob, 256);
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
