#include "programmer/programming/ProductionCheck.h"

#include "programmer/programming/FlashComparison.h"
#include "programmer/text/TextMessage.h"
#include "programmer/text/UiText.h"

#include <cstdio>
#include <string>

namespace halden {

namespace {

constexpr std::uint16_t kErrorCaption = 1101; // "Error !"
constexpr std::uint16_t kPassCaption = 1104;  // "Pass !"

std::u16string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string decimal(std::uint32_t value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

} // namespace

std::u16string ProductionCheck::verifyFailedText(const UiText& text, std::uint32_t address,
                                                 std::uint8_t chipByte, std::uint8_t fileByte,
                                                 std::uint32_t count) {
    return text.own(count == 1 ? OwnTextId::VerifyFailedOneByte : OwnTextId::VerifyFailedBytes,
                    {hex(address, 8), hex(chipByte, 2), hex(fileByte, 2), decimal(count)});
}

std::u16string ProductionCheck::notBlankText(const UiText& text, std::uint32_t address,
                                             std::uint8_t chipByte) {
    return text.own(OwnTextId::NotBlank, {hex(address, 8), hex(chipByte, 2)});
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
        outcome = show(false, messages_.text().own(OwnTextId::ReadTargetFailed));
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
    return show(true, messages_.text().own(OwnTextId::ReadTargetOk));
}

ProductionCheck::Outcome ProductionCheck::verify(std::span<const std::uint8_t> expected) {
    Outcome outcome;
    if (!readChip(static_cast<std::uint32_t>(expected.size()), outcome)) {
        return outcome;
    }
    const auto difference = FlashComparison::compare(reader_.data(), expected);
    if (!difference) {
        return show(true, messages_.text().own(OwnTextId::VerifyOk));
    }
    return show(false,
                verifyFailedText(messages_.text(), difference->firstAddress, difference->chipByte,
                                 difference->fileByte, difference->count));
}

ProductionCheck::Outcome ProductionCheck::blankCheck(std::uint32_t flashSize) {
    Outcome outcome;
    if (!readChip(flashSize, outcome)) {
        return outcome;
    }
    const auto address = FlashComparison::firstNotBlank(reader_.data());
    if (!address) {
        return show(true, messages_.text().own(OwnTextId::BlankCheckOk));
    }
    return show(false, notBlankText(messages_.text(), *address, reader_.data()[*address]));
}

} // namespace halden
