#include "programmer/form/RequestForm.h"

#include "common/FileReader.h"
#include "common/ResourceDirectory.h"
#include "common/Unicode.h"
#include "programmer/catalogue/ChipCatalogue.h"
#include "programmer/form/FormProjectFile.h"
#include "programmer/form/FormTemplateFormatter.h"
#include "programmer/text/TextMessage.h"

namespace halden {

namespace {

std::u16string decimal(std::uint32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// At least `width` digits, with leading zeros.
std::u16string padded(std::uint32_t value, std::size_t width) {
    std::u16string text = decimal(value);
    if (text.size() < width) {
        text.insert(0, width - text.size(), u'0');
    }
    return text;
}

std::u16string hexByte(std::uint32_t value) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

// "0x%04X"
std::u16string checksumText(std::uint16_t checksum) {
    return u"0x" + hexByte(checksum >> 8) + hexByte(checksum);
}

// "%d/%02d/%02d %02d:%02d:%02d", the year from 2000 on.
std::u16string saveTimeText(const std::array<std::uint8_t, 6>& time) {
    return decimal(2000u + time[0]) + u"/" + padded(time[1], 2) + u"/" + padded(time[2], 2) + u" " +
           padded(time[3], 2) + u":" + padded(time[4], 2) + u":" + padded(time[5], 2);
}

// Most significant byte first, joined by hyphens.
std::u16string keyText(std::uint32_t key, int bytes) {
    std::u16string text;
    for (int i = bytes - 1; i >= 0; --i) {
        text += hexByte(key >> (8 * i));
        if (i > 0) {
            text += u'-';
        }
    }
    return text;
}

// The path's last component; either separator ends a folder.
std::u16string fileNameOf(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return Unicode::toUtf16(cut == std::string::npos ? path : path.substr(cut + 1));
}

std::u16string partListText(const std::vector<PartList::Item>& items, std::uint32_t partIndex) {
    for (const auto& item : items) {
        if (item.partIndex == partIndex) {
            return item.name;
        }
    }
    return {};
}

} // namespace

std::u16string RequestForm::loadTemplate(const ResourceDirectory& resources) {
    const auto bytes = resources.find("TEXT", kTemplateId);
    std::u16string text;
    if (!bytes) {
        return text;
    }
    for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
        text += static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8));
    }
    return text;
}

const std::u16string& RequestForm::RenderRequestForm(const std::string& path, const Source& source,
                                                     std::u16string& text) const {
    Result result = build(path, source);
    if (result.outcome == Outcome::Form) {
        text = std::move(result.form);
    }
    return text;
}

RequestForm::Result RequestForm::build(const std::string& path, const Source& source) const {
    if (source.selectedPartIndex &&
        FormOptionSlots::layoutFor(*source.selectedPartIndex) == FormOptionSlots::Layout::None) {
        return {Outcome::NoLayout, {}};
    }
    const auto file = FileReader::readAll(path, kMaxFileSize);
    if (!file) {
        return {Outcome::Unreadable, {}};
    }
    return render(*file, path, source);
}

RequestForm::Result RequestForm::render(std::span<const std::uint8_t> file, const std::string& path,
                                        const Source& source) const {
    if (source.selectedPartIndex &&
        FormOptionSlots::layoutFor(*source.selectedPartIndex) == FormOptionSlots::Layout::None) {
        return {Outcome::NoLayout, {}};
    }
    const auto check = FormProjectFile::check(file);
    if (check != FormProjectFile::Check::Usable) {
        stopMessage(FormProjectFile::messageId(check));
        return {Outcome::Refused, {}};
    }
    const auto record = FormProjectFile::parse(file);
    if (!record) {
        stopMessage(FormProjectFile::messageId(FormProjectFile::Check::Incompatible));
        return {Outcome::Refused, {}};
    }
    if (file.size() == record->trailerLength) {
        return {Outcome::NoCode, {}};
    }
    const std::uint32_t selected = source.selectedPartIndex.value_or(record->partIndex);
    const auto layout = FormOptionSlots::layoutFor(selected);
    if (layout == FormOptionSlots::Layout::None) {
        return {Outcome::NoLayout, {}};
    }
    const auto slots = FormOptionSlots::compute(layout, catalogue_, record->partIndex,
                                                record->optionArea, source.firstBoxEnabled);
    std::vector<std::u16string> values = {
        source.to,
        source.from,
        source.partNo,
        partListText(source.partItems, selected),
        fileNameOf(path),
        Unicode::toUtf16(record->codeFileName),
        Unicode::toUtf16(record->ispFileName),
        decimal(record->codeSize),
        checksumText(record->codeChecksum),
        saveTimeText(record->saveTime),
        keyText(record->randomKey, 4),
        u"",
        keyText(record->atpgKey, 2),
    };
    // Line 36 + r shows slot r on the left and slot r + 7 on the right.
    for (std::size_t r = 0; r < 7; ++r) {
        for (const std::size_t n : {r, r + 7}) {
            values.push_back(slots[n].name);
            values.push_back(slots[n].mark);
        }
    }
    return {Outcome::Form, FormTemplateFormatter::format(template_, values)};
}

void RequestForm::stopMessage(std::uint16_t textId) const {
    messages_.messages().show(messages_.text().text(textId), messages_.applicationName(),
                              {MessageButtons::OkCancel, MessageIcon::Error});
}

} // namespace halden
