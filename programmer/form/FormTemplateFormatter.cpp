#include "programmer/form/FormTemplateFormatter.h"

namespace halden {

namespace {

struct Conversion {
    bool leftAligned = false;
    std::size_t width = 0;
    std::size_t length = 0; // characters from the "%" to the "s", both included
};

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The "%[-][width]s" starting at `at`; length 0 when the text there is no such conversion.
Conversion parseConversion(std::u16string_view text, std::size_t at) {
    Conversion conversion;
    std::size_t pos = at + 1;
    if (pos < text.size() && text[pos] == u'-') {
        conversion.leftAligned = true;
        ++pos;
    }
    // The template's widths are two digits; more digits than that is no conversion of ours.
    const std::size_t digitsStart = pos;
    while (pos < text.size() && isDigit(text[pos]) && pos - digitsStart < 4) {
        conversion.width = conversion.width * 10 + static_cast<std::size_t>(text[pos] - u'0');
        ++pos;
    }
    if (pos < text.size() && text[pos] == u's') {
        conversion.length = pos + 1 - at;
    }
    return conversion;
}

} // namespace

std::u16string FormTemplateFormatter::format(std::u16string_view formTemplate,
                                             const std::vector<std::u16string>& values) {
    std::u16string out;
    out.reserve(formTemplate.size() + 512);
    std::size_t next = 0;
    for (std::size_t i = 0; i < formTemplate.size(); ++i) {
        const char16_t c = formTemplate[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (i + 1 < formTemplate.size() && formTemplate[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        const Conversion conversion = parseConversion(formTemplate, i);
        if (conversion.length == 0) {
            out += c;
            continue;
        }
        const std::u16string empty;
        const std::u16string& value = next < values.size() ? values[next] : empty;
        ++next;
        const std::size_t padding =
            conversion.width > value.size() ? conversion.width - value.size() : 0;
        if (!conversion.leftAligned) {
            out.append(padding, u' ');
        }
        out += value;
        if (conversion.leftAligned) {
            out.append(padding, u' ');
        }
        i += conversion.length - 1;
    }
    return out;
}

} // namespace halden
