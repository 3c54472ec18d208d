#include "common/ConsoleMessageService.h"

#include <gtest/gtest.h>

#include <sstream>

namespace halden {
namespace {

constexpr MessageStyle kSizeWarning{MessageButtons::OkCancel, MessageIcon::Warning,
                                    MessageAnswer::Cancel, 1108};
constexpr MessageStyle kOldFile{MessageButtons::YesNo, MessageIcon::Question, std::nullopt, 2004};

TEST(ConsoleMessageService, AnswersByTextIdElseWithTheDefaultButton) {
    std::ostringstream out;
    ConsoleMessageService messages(out);
    EXPECT_EQ(messages.show(u"too large", u"Warning !", kSizeWarning), MessageAnswer::Cancel);
    EXPECT_EQ(messages.show(u"old", u"Halden_Programmer", kOldFile), MessageAnswer::Yes);

    messages.setAnswer(1108, MessageAnswer::Ok);
    messages.setAnswer(2004, MessageAnswer::No);
    EXPECT_EQ(messages.show(u"too large", u"Warning !", kSizeWarning), MessageAnswer::Ok);
    EXPECT_EQ(messages.show(u"old", u"Halden_Programmer", kOldFile), MessageAnswer::No);
    // The same text under another ID is another question.
    MessageStyle other = kSizeWarning;
    other.textId = 1109;
    EXPECT_EQ(messages.show(u"too large", u"Warning !", other), MessageAnswer::Cancel);
    // A text that is not in the table has no ID and gets its default button.
    EXPECT_EQ(messages.show(u"Code Buffer is empty !", u"Halden Programmer", {}),
              MessageAnswer::Ok);

    EXPECT_EQ(messages.shown(1108), 2u);
    EXPECT_EQ(messages.shown(2004), 2u);
    EXPECT_EQ(messages.shown(1110), 0u);
    EXPECT_EQ(out.str().substr(0, 22), "[Warning !] too large\n");
}

} // namespace
} // namespace halden
