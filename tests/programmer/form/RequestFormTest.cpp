#include "programmer/form/FormOptionSlots.h"
#include "programmer/form/FormTemplateFormatter.h"
#include "tests/programmer/form/FormFixture.h"

#include <gtest/gtest.h>

namespace halden::test {
namespace {

using Slot = FormOptionSlots::Slot;

std::u16string left(std::u16string value, std::size_t width) {
    if (value.size() < width) {
        value.append(width - value.size(), u' ');
    }
    return value;
}
std::u16string right(std::u16string value, std::size_t width) {
    if (value.size() < width) {
        value.insert(0, width - value.size(), u' ');
    }
    return value;
}
std::u16string spaces(std::size_t n) {
    return std::u16string(n, u' ');
}

const Slot kFiller{u" - ", u"   -    "};
const Slot kEmpty{};

// Lines 36 to 42 as the template lays them out: slot r left, slot r + 7 right.
std::vector<std::u16string> optionLines(const std::array<Slot, 14>& slots) {
    std::vector<std::u16string> out;
    for (std::size_t r = 0; r < 7; ++r) {
        out.push_back(spaces(8) + right(slots[r].name, 16) + u" : " + left(slots[r].mark, 8) +
                      spaces(6) + right(slots[r + 7].name, 16) + u" : " +
                      left(slots[r + 7].mark, 8) + spaces(12));
    }
    return out;
}

std::array<Slot, 14> withFiller(std::vector<Slot> first) {
    std::array<Slot, 14> slots;
    for (std::size_t n = 0; n < 14; ++n) {
        slots[n] = n < first.size() ? first[n] : kFiller;
    }
    return slots;
}

class RequestFormTest : public FormTest {
protected:
    std::vector<std::u16string> render(const Bytes& file, std::uint32_t selected,
                                       bool firstBoxEnabled = true) {
        std::u16string out;
        form.RenderRequestForm(write(file), source(selected, firstBoxEnabled), out);
        return lines(out);
    }
    void expectOptions(const std::vector<std::u16string>& form, const std::array<Slot, 14>& slots) {
        ASSERT_EQ(form.size(), 65u);
        const auto expected = optionLines(slots);
        for (std::size_t r = 0; r < 7; ++r) {
            EXPECT_EQ(Unicode::toUtf8(form[36 + r]), Unicode::toUtf8(expected[r]))
                << "line " << 36 + r;
        }
    }
};

TEST_F(RequestFormTest, TemplateHasItsSixtyFiveLinesWithThePaddedStatement) {
    const std::u16string& t = form.formTemplate();
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t[0], u'\xFEFF');
    const auto rows = lines(t);
    ASSERT_EQ(rows.size(), 65u);
    EXPECT_EQ(rows[0], u"\xFEFF");
    EXPECT_EQ(t.find(u'\n'), t.find(u"\r\n") + 1) << "every line ends in CR LF";
    EXPECT_EQ(rows[3], spaces(25) + u"corvane QPF3.0 Request FORM v1.2" + spaces(26));
    EXPECT_EQ(rows[30], u"    Option" + spaces(70));
    EXPECT_EQ(rows[47], spaces(7) + u"Liability:" + spaces(72));
    for (const std::size_t n : {32, 33, 34}) {
        EXPECT_EQ(rows[n], spaces(22) + u"- : -" + spaces(28) + u"- : -" + spaces(18));
    }
    const char16_t* numbers[] = {u"    1. ", u"    2. ", u"    3. "};
    std::size_t paragraph = 0;
    for (std::size_t n = 49; n <= 57; ++n) {
        const std::u16string& line = rows[n];
        const bool tab = !line.empty() && line[0] == u'\t';
        EXPECT_EQ(line.size(), tab ? 84u : 83u) << "line " << n;
        if (paragraph < 3 && line.rfind(numbers[paragraph], 0) == 0) {
            ++paragraph;
        } else {
            EXPECT_TRUE(line.rfind(u"\t   ", 0) == 0 || line.rfind(spaces(7), 0) == 0)
                << "line " << n;
        }
    }
    EXPECT_EQ(paragraph, 3u);
    EXPECT_EQ(rows[61], u"   Customer's approved    : _________________________   Date : "
                        u"_____________    ");
    EXPECT_EQ(rows[64], u"   corvane representative : _________________________   Date : "
                        u"_____________    ");
}

TEST_F(RequestFormTest, DeltaProjectShowsItsFactsUnderTheTemplatesWidths) {
    const auto bytes = project(36, {}, Bytes{0x1F}, "app.bin");
    const auto form = render(bytes.file(), 36);
    ASSERT_EQ(form.size(), 65u);
    EXPECT_EQ(form[0], u"\xFEFF");
    EXPECT_EQ(form[6], u" To      : " + left(u"Corvane Sales", 71));
    EXPECT_EQ(form[8], u" From    : " + left(u"Lab 4", 71));
    EXPECT_EQ(form[10], u" Part No : " + left(u"PN-0042", 71));
    EXPECT_EQ(form[14], u"    MCU Body        " + left(u"RQD-1", 50) + spaces(10));
    EXPECT_EQ(form[16], u"    QPF File Name   " + left(u"project.qpf", 50) + spaces(10));
    EXPECT_EQ(form[18], u"    CodeFile Name   " + left(u"app.bin", 50) + spaces(10));
    EXPECT_EQ(form[20], u"    Isp Code Name   " + spaces(50) + spaces(10));
    EXPECT_EQ(form[22], u"    Code Size       " + left(u"1", 19) + u"    Code Checksum     " +
                            left(u"0x001F", 11) + spaces(8));
    EXPECT_EQ(form[24].substr(0, 39), u"    QPF Save Time   " + left(u"2024/03/05 14:07:09", 19));
    EXPECT_EQ(form[26].substr(0, 39), spaces(39));
    // Every box clear: no marks; RQD-1 has six rows, so slot 6 shows nothing.
    expectOptions(form, withFiller({{u"LOCK", u""},
                                    {u"SRAM_DIS", u""},
                                    {u"SMEM_DIS", u""},
                                    {u"IWDG_EN", u""},
                                    {u"RST_STOP", u""},
                                    {u"RST_STBY", u""},
                                    kEmpty}));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(RequestFormTest, KeysAreShownMostSignificantByteFirst) {
    auto bytes = project(36);
    const std::size_t key = bytes.optionAreaAt() + 160;
    const Bytes randomKey = {0x0A, 0x1B, 0x2C, 0x3D};
    std::copy(randomKey.begin(), randomKey.end(), bytes.trailer.begin() + key);
    bytes.trailer[bytes.atpgAt()] = 0x00;
    bytes.trailer[bytes.atpgAt() + 1] = 0xFF;
    bytes.reseal();
    const auto form = render(bytes.file(), 36);
    ASSERT_EQ(form.size(), 65u);
    EXPECT_EQ(form[24], u"    QPF Save Time   " + left(u"2024/03/05 14:07:09", 19) +
                            u"    Random Key        " + left(u"0A-1B-2C-3D", 11) + spaces(8));
    EXPECT_EQ(form[26],
              spaces(20) + spaces(19) + u"    ATPG Key          " + left(u"00-FF", 11) + spaces(8));
}

// Each box ticked alone marks its own slot, by the layout's rule for that slot.
TEST_F(RequestFormTest, EachTickedBoxMarksItsSlot) {
    struct Case {
        std::uint32_t part;
        std::size_t box;
    };
    for (const Case c :
         {Case{36, 0}, Case{36, 1}, Case{36, 2}, Case{36, 3}, Case{36, 4}, Case{36, 5}, Case{42, 0},
          Case{42, 1}, Case{42, 2}, Case{42, 3}, Case{42, 4}}) {
        SCOPED_TRACE("part " + std::to_string(c.part) + " box " + std::to_string(c.box));
        const auto form = render(project(c.part, {c.box}).file(), c.part);
        ASSERT_EQ(form.size(), 65u);
        const auto expected = optionLines([&] {
            std::array<Slot, 14> slots;
            const std::size_t rows = c.part == 36 ? 6 : 5;
            for (std::size_t n = 0; n < 14; ++n) {
                if (n < rows) {
                    slots[n] = {catalogue.optionRow(c.part, n)->label, n == c.box ? u"V" : u""};
                } else {
                    slots[n] = (c.part == 36 && n == 6) ? kEmpty : kFiller;
                }
            }
            return slots;
        }());
        for (std::size_t r = 0; r < 7; ++r) {
            EXPECT_EQ(Unicode::toUtf8(form[36 + r]), Unicode::toUtf8(expected[r]));
        }
    }
}

TEST_F(RequestFormTest, EpsilonSlotZeroIsClearForA5Then5AAndEmptyWhenTheBoxIsDisabled) {
    auto bytes = project(42);
    EXPECT_EQ(bytes.trailer[bytes.optionAreaAt()], 0xA5);
    EXPECT_EQ(bytes.trailer[bytes.optionAreaAt() + 1], 0x5A);
    expectOptions(render(bytes.file(), 42), withFiller({{u"RDP", u""},
                                                        {u"WRP", u""},
                                                        {u"WDG_SW", u""},
                                                        {u"nRST_STOP", u""},
                                                        {u"nRST_STDBY", u""}}));
    // With the main window's first box disabled, slot 0 stays empty whatever the bytes.
    bytes.trailer[bytes.optionAreaAt()] = 0x00;
    bytes.reseal();
    expectOptions(
        render(bytes.file(), 42, false),
        withFiller(
            {kEmpty, {u"WRP", u""}, {u"WDG_SW", u""}, {u"nRST_STOP", u""}, {u"nRST_STDBY", u""}}));
    expectOptions(render(bytes.file(), 42, true), withFiller({{u"RDP", u"V"},
                                                              {u"WRP", u""},
                                                              {u"WDG_SW", u""},
                                                              {u"nRST_STOP", u""},
                                                              {u"nRST_STDBY", u""}}));
}

TEST_F(RequestFormTest, TrailerSumOfFF80Passes) {
    // A long code file name gives the sum room to be steered to exactly 0xFF80.
    auto bytes = project(36, {}, Bytes(16, 1), std::string(255, 'z'));
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 < bytes.trailer.size(); ++i) {
        sum += bytes.trailer[i];
    }
    sum += bytes.trailer[bytes.trailer.size() - 2] + bytes.trailer[bytes.trailer.size() - 1];
    ASSERT_LT(sum, 0xFF80u);
    std::uint32_t missing = 0xFF80u - sum;
    for (std::size_t i = 17; missing > 0 && i < 17 + 255; ++i) {
        const std::uint32_t step = std::min<std::uint32_t>(missing, 0xFF - bytes.trailer[i]);
        bytes.trailer[i] = static_cast<std::uint8_t>(bytes.trailer[i] + step);
        missing -= step;
    }
    ASSERT_EQ(missing, 0u);
    bytes.reseal();
    ASSERT_EQ(bytes.trailer[bytes.trailer.size() - 4], 0xFF);
    ASSERT_EQ(bytes.trailer[bytes.trailer.size() - 3], 0x80);
    EXPECT_EQ(render(bytes.file(), 36).size(), 65u);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(RequestFormTest, PartsWithoutALayoutGiveNoFormWhateverTheFileHolds) {
    for (const std::uint32_t selected : {54u, 40u, 0u}) {
        std::u16string out = u"previous";
        form.RenderRequestForm(write(project(36).file()), source(selected), out);
        EXPECT_EQ(out, u"previous");
        form.RenderRequestForm(write(Bytes{'n', 'o', 't'}), source(selected), out);
        EXPECT_EQ(out, u"previous");
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(RequestFormTest, LongValuesArePrintedWholeAndLengthenTheirLine) {
    auto s = source(36);
    s.to = std::u16string(90, u'T');
    std::u16string out;
    form.RenderRequestForm(write(project(36).file()), s, out);
    const auto rows = lines(out);
    ASSERT_EQ(rows.size(), 65u);
    EXPECT_EQ(rows[6], u" To      : " + s.to);
    // Conversions in the values stay text.
    s.to = u"%s%d%n%-71s%%";
    form.RenderRequestForm(write(project(36).file()), s, out);
    EXPECT_EQ(lines(out)[6], u" To      : " + left(s.to, 71));
}

struct Fault {
    const char* name;
    std::function<void(ProjectBytes&)> change;
    bool reseal;
    std::uint16_t message; // 0: no form and no message
};

TEST_F(RequestFormTest, UnusableFilesGiveTheirMessageInCheckOrderAndNoForm) {
    const std::vector<Fault> faults = {
        {"foreign magic", [](ProjectBytes& p) { p.trailer[0] = 'C'; }, true, 2000},
        {"foreign magic and bad type",
         [](ProjectBytes& p) {
             p.trailer[0] = 'C';
             p.trailer[p.trailer.size() - 5] = 0x18;
         },
         false, 2000},
        {"type 0x18", [](ProjectBytes& p) { p.trailer[p.trailer.size() - 5] = 0x18; }, true, 2002},
        {"type and checksum bad", [](ProjectBytes& p) { p.trailer[p.trailer.size() - 5] = 0x15; },
         false, 2002},
        {"checksum off by one", [](ProjectBytes& p) { ++p.trailer[p.trailer.size() - 3]; }, false,
         2001},
        {"version 0x0303", [](ProjectBytes& p) { p.trailer[p.trailer.size() - 8] = 0x03; }, true,
         2003},
        {"trailer longer than the file",
         [](ProjectBytes& p) {
             p.code.clear();
             p.trailer[p.trailer.size() - 2] = 0xFF;
         },
         false, 2000},
        {"trailer too short for its fields",
         [](ProjectBytes& p) {
             p.trailer[p.trailer.size() - 2] = 0x00;
             p.trailer[p.trailer.size() - 1] = 0x20;
         },
         false, 2000},
        {"names longer than the trailer", [](ProjectBytes& p) { p.trailer[16] = 0xF0; }, true,
         2002},
        // Unlike the project reader, the form takes no bytes between save time and version.
        {"trailer longer than its fields",
         [](ProjectBytes& p) {
             p.trailer.insert(p.trailer.end() - 9, 8, 0x00);
             const std::size_t length = p.trailer.size();
             p.trailer[length - 2] = static_cast<std::uint8_t>(length >> 8);
             p.trailer[length - 1] = static_cast<std::uint8_t>(length);
         },
         true, 2002},
        {"no code before the trailer", [](ProjectBytes& p) { p.code.clear(); }, false, 0},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        messages.messages.clear();
        auto bytes = project(36);
        fault.change(bytes);
        if (fault.reseal) {
            bytes.reseal();
        }
        std::u16string out = u"previous";
        form.RenderRequestForm(write(bytes.file()), source(36), out);
        EXPECT_EQ(out, u"previous");
        if (fault.message == 0) {
            EXPECT_TRUE(messages.messages.empty());
            continue;
        }
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text, Unicode::toUtf8(text.text(fault.message)));
        EXPECT_EQ(messages.messages[0].caption, "Halden_Programmer");
        EXPECT_EQ(messages.messages[0].style.buttons, MessageButtons::OkCancel);
        EXPECT_EQ(messages.messages[0].style.icon, MessageIcon::Error);
    }
    // Files too small to hold a trailer length, and a path that does not open.
    for (const Bytes& tiny : {Bytes{}, Bytes{0x00}, Bytes{0x00, 0x39}}) {
        messages.messages.clear();
        std::u16string out = u"previous";
        form.RenderRequestForm(write(tiny), source(36), out);
        EXPECT_EQ(out, u"previous");
    }
    std::u16string out = u"previous";
    messages.messages.clear();
    form.RenderRequestForm((dir / "missing.qpf").string(), source(36), out);
    EXPECT_EQ(out, u"previous");
    EXPECT_TRUE(messages.messages.empty());

    // Why, for the command line's last word.
    using Outcome = RequestForm::Outcome;
    EXPECT_EQ(form.build((dir / "missing.qpf").string(), source(36)).outcome, Outcome::Unreadable);
    auto bytes = project(36);
    bytes.code.clear();
    EXPECT_EQ(form.build(write(bytes.file()), source(36)).outcome, Outcome::NoCode);
    EXPECT_EQ(form.build(write(bytes.file()), source(54)).outcome, Outcome::NoLayout);
    EXPECT_EQ(form.build(write(Bytes(80, 1)), source(36)).outcome, Outcome::Refused);
    const auto made = form.build(write(project(36).file()), source(36));
    EXPECT_EQ(made.outcome, Outcome::Form);
    EXPECT_EQ(lines(made.form).size(), 65u);
}

TEST_F(RequestFormTest, OlderVersionsAndForeignPartsAreAcceptedWithoutQuestion) {
    auto bytes = project(36, {0});
    bytes.trailer[bytes.trailer.size() - 8] = 0x01;
    bytes.reseal();
    // The Epsilon layout, chosen by the selected part, reads the Delta file's rows.
    const auto form = render(bytes.file(), 42);
    ASSERT_EQ(form.size(), 65u);
    EXPECT_EQ(form[14], u"    MCU Body        " + left(u"RQE-1", 50) + spaces(10));
    EXPECT_EQ(form[36].substr(8, 16), right(u"LOCK", 16));
    EXPECT_TRUE(messages.messages.empty());
}

// An option area longer than the record's 176 bytes is read past, never copied past.
TEST_F(RequestFormTest, LongOptionAreaIsCutToTheRecordsArea) {
    auto bytes = project(36, {0});
    const std::size_t lengthAt = bytes.trailer[16] + 32u;
    const std::size_t end = bytes.afterOptionArea();
    bytes.trailer[lengthAt] = 250;
    bytes.trailer.insert(bytes.trailer.begin() + static_cast<std::ptrdiff_t>(end), 74, 0xEE);
    const std::size_t length = bytes.trailer.size();
    bytes.trailer[length - 2] = static_cast<std::uint8_t>(length >> 8);
    bytes.trailer[length - 1] = static_cast<std::uint8_t>(length);
    bytes.reseal();
    const auto form = render(bytes.file(), 36);
    ASSERT_EQ(form.size(), 65u);
    EXPECT_EQ(form[36].substr(8, 28), right(u"LOCK", 16) + u" : " + left(u"V", 8) + u" ");
    EXPECT_TRUE(messages.messages.empty());
}

TEST(FormTemplateFormatterTest, KnowsOnlyTheTemplatesConversions) {
    const std::vector<std::u16string> values = {u"ab", u"cd", u"%s"};
    EXPECT_EQ(FormTemplateFormatter::format(u"[%-4s][%4s][%s]", values), u"[ab  ][  cd][%s]");
    EXPECT_EQ(FormTemplateFormatter::format(u"%d %% %x %-s%", {u"v"}), u"%d % %x v%");
    EXPECT_EQ(FormTemplateFormatter::format(u"%3s|%-2s|", {}), u"   |  |");
    EXPECT_EQ(FormTemplateFormatter::format(u"%2s", {u"longer"}), u"longer");
}

} // namespace
} // namespace halden::test
