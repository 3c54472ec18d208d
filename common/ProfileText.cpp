#include "common/ProfileText.h"

#include <algorithm>

namespace halden {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

bool holdsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

ProfileText::ProfileText(std::string_view bytes) {
    // A file saved with a UTF-8 mark still starts with its first section.
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kUtf8Mark)) {
        mark_ = kUtf8Mark;
        bytes.remove_prefix(kUtf8Mark.size());
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
        const auto newline = bytes.find('\n', start);
        if (newline == std::string_view::npos) {
            lines_.push_back({std::string(bytes.substr(start)), ""});
            break;
        }
        const bool crlf = newline > start && bytes[newline - 1] == '\r';
        const std::size_t contentEnd = crlf ? newline - 1 : newline;
        lines_.push_back(
            {std::string(bytes.substr(start, contentEnd - start)), crlf ? "\r\n" : "\n"});
        start = newline + 1;
    }
}

std::string ProfileText::bytes() const {
    std::string out = mark_;
    for (const auto& line : lines_) {
        out += line.content;
        out += line.end;
    }
    return out;
}

ProfileText::Kind ProfileText::kindOf(std::string_view content) {
    const std::string_view text = trimmed(content);
    if (text.empty()) {
        return Kind::Blank;
    }
    if (text.front() == ';') {
        return Kind::Comment;
    }
    if (text.front() == '[' && text.find(']') != std::string_view::npos) {
        return Kind::Header;
    }
    return Kind::Entry;
}

std::string_view ProfileText::headerName(std::string_view content) {
    const std::string_view text = trimmed(content);
    const auto close = text.find(']');
    return trimmed(text.substr(1, close - 1));
}

std::string_view ProfileText::entryKey(std::string_view content) {
    return trimmed(content.substr(0, content.find('=')));
}

std::string ProfileText::normalisedEntry(std::string_view content) {
    const auto equals = content.find('=');
    if (equals == std::string_view::npos) {
        return std::string(trimmed(content));
    }
    return std::string(trimmed(content.substr(0, equals))) + "=" +
           std::string(trimmed(content.substr(equals + 1)));
}

std::optional<ProfileText::Span> ProfileText::findSection(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (kindOf(lines_[i].content) != Kind::Header ||
            !sameName(headerName(lines_[i].content), trimmed(name))) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines_.size() && kindOf(lines_[end].content) != Kind::Header) {
            ++end;
        }
        return Span{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileText::findKey(const Span& span, std::string_view key) const {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        if (kindOf(lines_[i].content) == Kind::Entry &&
            sameName(entryKey(lines_[i].content), trimmed(key))) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<std::string> ProfileText::sectionNames() const {
    std::vector<std::string> names;
    for (const auto& line : lines_) {
        if (kindOf(line.content) == Kind::Header) {
            names.emplace_back(headerName(line.content));
        }
    }
    return names;
}

std::optional<std::string> ProfileText::value(std::string_view section,
                                              std::string_view key) const {
    const auto span = findSection(section);
    if (!span) {
        return std::nullopt;
    }
    const auto line = findKey(*span, key);
    if (!line) {
        return std::nullopt;
    }
    return entryValue(lines_[*line].content);
}

std::string ProfileText::entryValue(std::string_view content) {
    const auto equals = content.find('=');
    if (equals == std::string_view::npos) {
        return std::string();
    }
    const std::string_view text = trimmed(content.substr(equals + 1));
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        return std::string(text.substr(1, text.size() - 2));
    }
    return std::string(text);
}

std::optional<std::vector<std::string>> ProfileText::section(std::string_view name) const {
    const auto span = findSection(name);
    if (!span) {
        return std::nullopt;
    }
    std::vector<std::string> entries;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (kindOf(lines_[i].content) == Kind::Entry) {
            entries.push_back(normalisedEntry(lines_[i].content));
        }
    }
    return entries;
}

std::optional<std::vector<std::pair<std::string, std::string>>>
ProfileText::keyedValues(std::string_view name) const {
    const auto span = findSection(name);
    if (!span) {
        return std::nullopt;
    }
    std::vector<std::pair<std::string, std::string>> values;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (kindOf(lines_[i].content) == Kind::Entry) {
            values.emplace_back(entryKey(lines_[i].content), entryValue(lines_[i].content));
        }
    }
    return values;
}

bool ProfileText::validSectionName(std::string_view name) {
    return !holdsLineBreakOrNul(name) && name.find(']') == std::string_view::npos &&
           trimmed(name) == name;
}

bool ProfileText::validKey(std::string_view key) {
    if (holdsLineBreakOrNul(key) || key.find('=') != std::string_view::npos || key.empty() ||
        trimmed(key) != key) {
        return false;
    }
    return key.front() != ';' && key.front() != '[';
}

bool ProfileText::validValue(std::string_view value) {
    return !holdsLineBreakOrNul(value);
}

bool ProfileText::validEntry(std::string_view entry) {
    if (holdsLineBreakOrNul(entry)) {
        return false;
    }
    const std::string_view text = trimmed(entry);
    return !text.empty() && text.front() != '[';
}

std::string ProfileText::newLineEnd() const {
    for (const auto& line : lines_) {
        if (!line.end.empty()) {
            return line.end;
        }
    }
    return "\r\n";
}

void ProfileText::insertLines(std::size_t position, const std::vector<std::string>& contents) {
    if (contents.empty()) {
        return;
    }
    const std::string end = newLineEnd();
    if (position > 0 && lines_[position - 1].end.empty()) {
        lines_[position - 1].end = end;
    }
    std::vector<Line> added;
    for (const auto& content : contents) {
        added.push_back({content, end});
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position), added.begin(),
                  added.end());
}

void ProfileText::appendSection(std::string_view name, const std::vector<std::string>& contents) {
    std::vector<std::string> added;
    if (!lines_.empty() && kindOf(lines_.back().content) != Kind::Blank) {
        added.emplace_back();
    }
    added.push_back("[" + std::string(name) + "]");
    added.insert(added.end(), contents.begin(), contents.end());
    insertLines(lines_.size(), added);
}

ProfileText::Edit ProfileText::setValue(std::string_view section, std::string_view key,
                                        std::string_view value) {
    if (!validSectionName(section) || !validKey(key) || !validValue(value)) {
        return Edit::Refused;
    }
    const auto span = findSection(section);
    if (!span) {
        appendSection(section, {std::string(key) + "=" + std::string(value)});
        return Edit::Changed;
    }
    if (const auto line = findKey(*span, key)) {
        std::string& content = lines_[*line].content;
        const auto equals = content.find('=');
        // The key keeps its spelling and indentation.
        const std::string head = equals == std::string::npos
                                     ? content.substr(0, content.find_last_not_of(kBlanks) + 1)
                                     : content.substr(0, equals);
        std::string rewritten = head + "=" + std::string(value);
        if (rewritten == content) {
            return Edit::Unchanged;
        }
        content = std::move(rewritten);
        return Edit::Changed;
    }
    std::size_t position = span->header + 1;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (kindOf(lines_[i].content) == Kind::Entry) {
            position = i + 1;
        }
    }
    insertLines(position, {std::string(key) + "=" + std::string(value)});
    return Edit::Changed;
}

ProfileText::Edit ProfileText::removeKey(std::string_view section, std::string_view key) {
    const auto span = findSection(section);
    if (!span) {
        return Edit::Unchanged;
    }
    const auto line = findKey(*span, key);
    if (!line) {
        return Edit::Unchanged;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    return Edit::Changed;
}

ProfileText::Edit ProfileText::replaceSection(std::string_view section,
                                              const std::vector<std::string>& entries) {
    const auto allValid = [](auto first, auto last) {
        return std::all_of(first, last, &ProfileText::validEntry);
    };
    if (!validSectionName(section)) {
        return Edit::Refused;
    }
    const auto span = findSection(section);
    if (!span) {
        if (!allValid(entries.begin(), entries.end())) {
            return Edit::Refused;
        }
        appendSection(section, entries);
        return Edit::Changed;
    }
    std::vector<std::size_t> old; // the section's entry lines
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (kindOf(lines_[i].content) == Kind::Entry) {
            old.push_back(i);
        }
    }
    const auto sameEntry = [&](std::size_t oldIndex, std::size_t newIndex) {
        return normalisedEntry(lines_[old[oldIndex]].content) == normalisedEntry(entries[newIndex]);
    };
    const std::size_t shorter = std::min(old.size(), entries.size());
    std::size_t head = 0;
    while (head < shorter && sameEntry(head, head)) {
        ++head;
    }
    std::size_t tail = 0;
    while (head + tail < shorter && sameEntry(old.size() - 1 - tail, entries.size() - 1 - tail)) {
        ++tail;
    }
    const std::size_t removedEnd = old.size() - tail;
    if (head == removedEnd && head + tail == entries.size()) {
        return Edit::Unchanged;
    }
    // Only the entries that become new lines must be writable: the others keep the lines
    // they were read from, so a section read back is always written back.
    const auto inserted = entries.begin() + static_cast<std::ptrdiff_t>(head);
    if (!allValid(inserted, entries.end() - static_cast<std::ptrdiff_t>(tail))) {
        return Edit::Refused;
    }
    std::size_t position = span->header + 1;
    if (head < removedEnd) {
        position = old[head];
    } else if (head > 0) {
        position = old[head - 1] + 1;
    } else if (!old.empty()) {
        position = old.front();
    }
    // One pass, so rewriting a section of any size costs one copy of the file.
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    std::size_t newPosition = 0;
    std::size_t nextRemoved = head;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i == position) {
            newPosition = kept.size();
        }
        if (nextRemoved < removedEnd && i == old[nextRemoved]) {
            ++nextRemoved;
            continue;
        }
        kept.push_back(std::move(lines_[i]));
    }
    if (position == lines_.size()) {
        newPosition = kept.size();
    }
    lines_ = std::move(kept);
    insertLines(newPosition,
                std::vector<std::string>(entries.begin() + static_cast<std::ptrdiff_t>(head),
                                         entries.end() - static_cast<std::ptrdiff_t>(tail)));
    return Edit::Changed;
}

} // namespace halden
