#include "programmer/programming/ProductionCheck.h"

#include "programmer/programming/FlashComparison.h"
#include "programmer/text/TextMessage.h"

#include <cstdio>

namespace halden {

namespace {

constexpr std::uint16_t kErrorCaption = 1101; // "Error !"
constexpr std::uint16_t kPassCaption = 1104;  // "Pass !"

std::u16string widen(const char* text) {
    std::u16string wide;
    for (; *text != 0; ++text) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
    }
    return wide;
}

} // namespace

std::u16string ProductionCheck::verifyFailedText(std::uint32_t address, std::uint8_t chipByte,
                                                 std::uint8_t fileByte, std::uint32_t count) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Verify failed at 0x%08X: chip 0x%02X, file 0x%02X; %u byte%s differ%s !",
                  address, chipByte, fileByte, count, count == 1 ? "" : "s", count == 1 ? "s" : "");
    return widen(text);
}

std::u16string ProductionCheck::notBlankText(std::uint32_t address, std::uint8_t chipByte) {
    char text[96];
    std::snprintf(text, sizeof text, "Not blank at 0x%08X: 0x%02X !", address, chipByte);
    return widen(text);
}

ProductionCheck::Outcome ProductionCheck::show(bool ok, std::u16string text) {
    const MessageStyle style{MessageButtons::Ok,
                             ok ? MessageIcon::Information : MessageIcon::Error};
    messages_.messages().show(text, messages_.text().text(ok ? kPassCaption : kErrorCaption),
                              style);
    return {ok, false, std::move(text)};
}

bool ProductionCheck::readChip(std::uint32_t length, Outcome& outcome) {
    switch (reader_.run(length)) {
    case ReadTarget::Result::Ok:
        return true;
    case ReadTarget::Result::Busy:
        outcome = {false, true, {}};
        return false;
    case ReadTarget::Result::Failed:
        outcome = {};
        return false;
    case ReadTarget::Result::ReadFailed:
        outcome = show(false, u"Read Target failed !");
        return false;
    }
    return false;
}

ProductionCheck::Outcome ProductionCheck::read(std::uint32_t length) {
    Outcome outcome;
    if (readChip(length, outcome)) {
        outcome.ok = true;
    }
    return outcome;
}

ProductionCheck::Outcome ProductionCheck::reportSaved() {
    return show(true, u"Read Target ok !");
}

ProductionCheck::Outcome ProductionCheck::verify(std::span<const std::uint8_t> expected) {
    Outcome outcome;
    if (!readChip(static_cast<std::uint32_t>(expected.size()), outcome)) {
        return outcome;
    }
    const auto difference = FlashComparison::compare(reader_.data(), expected);
    if (!difference) {
        return show(true, u"Verify ok !");
    }
    return show(false, verifyFailedText(difference->firstAddress, difference->chipByte,
                                        difference->fileByte, difference->count));
}

ProductionCheck::Outcome ProductionCheck::blankCheck(std::uint32_t flashSize) {
    Outcome outcome;
    if (!readChip(flashSize, outcome)) {
        return outcome;
    }
    const auto address = FlashComparison::firstNotBlank(reader_.data());
    if (!address) {
        return show(true, u"Blank check ok !");
    }
    return show(false, notBlankText(*address, reader_.data()[*address]));
}

} // namespace halden
