#include "programmer/app/CommandLine.h"

namespace halden {

std::u16string_view CommandLine::argumentText(std::u16string_view raw,
                                              std::u16string_view programPath) {
    const std::size_t quotedLength = programPath.size() + 2;
    if (raw.size() >= quotedLength && raw.front() == u'"' && raw[quotedLength - 1] == u'"' &&
        raw.substr(1, programPath.size()) == programPath) {
        return raw.substr(quotedLength);
    }
    // Started some other way (a relative name typed in a shell): step over the
    // program token as the runtime does, quoted or not.
    std::size_t pos = 0;
    if (!raw.empty() && raw.front() == u'"') {
        const auto close = raw.find(u'"', 1);
        pos = close == std::u16string_view::npos ? raw.size() : close + 1;
    } else {
        while (pos < raw.size() && raw[pos] != u' ' && raw[pos] != u'\t') {
            ++pos;
        }
    }
    return raw.substr(pos);
}

CommandLine::Values CommandLine::parse(std::u16string_view raw, int argumentCount,
                                       std::u16string_view programPath) {
    Values values;
    if (argumentCount == 2) {
        values.forcedUpgrade = true;
        return values;
    }
    if (argumentCount <= 2) {
        return values;
    }
    // Tokens split at spaces; runs of spaces give no empty tokens.
    std::vector<std::u16string_view> tokens;
    const std::u16string_view text = argumentText(raw, programPath);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto start = text.find_first_not_of(u' ', pos);
        if (start == std::u16string_view::npos) {
            break;
        }
        const auto end = std::min(text.find(u' ', start), text.size());
        tokens.push_back(text.substr(start, end - start));
        pos = end;
    }
    if (tokens.empty()) {
        return values;
    }
    values.partName = std::u16string(tokens[0].substr(0, kMaxPath - 1));
    const std::size_t wanted = static_cast<std::size_t>(argumentCount - 2);
    for (std::size_t i = 1; i <= wanted && i < tokens.size(); ++i) {
        if (i > 1) {
            values.filePath += u' ';
        }
        values.filePath += tokens[i];
    }
    values.pathTooLong = values.filePath.size() >= kMaxPath;
    return values;
}

std::u16string CommandLine::rawFromArguments(const std::vector<std::u16string>& arguments) {
    std::u16string raw;
    for (const auto& argument : arguments) {
        if (!raw.empty()) {
            raw += u' ';
        }
        const bool quote =
            argument.empty() || argument.find_first_of(u" \t") != std::u16string::npos;
        raw += quote ? u"\"" + argument + u"\"" : argument;
    }
    return raw;
}

} // namespace halden
