// INI text from anywhere through every private-profile operation. The input is the file's
// text, then a NUL, then a script of edits whose names are mostly taken from the text
// itself. Every edit must leave each line it has no business with byte for byte as it
// was, read back what it wrote, and a list or value cut to a buffer must follow the
// system's size rules.
#include "common/ProfileIni.h"
#include "common/ProfileText.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using halden::ProfileIni;
using halden::ProfileText;

struct Line {
    std::string content;
    std::string end;
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto newline = text.find('\n', start);
        if (newline == std::string_view::npos) {
            lines.push_back({std::string(text.substr(start)), ""});
            break;
        }
        const bool crlf = newline > start && text[newline - 1] == '\r';
        lines.push_back({std::string(text.substr(start, newline - start - (crlf ? 1 : 0))),
                         crlf ? "\r\n" : "\n"});
        start = newline + 1;
    }
    return lines;
}

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// An entry line, as opposed to a blank line, a comment or a section heading.
bool isEntry(std::string_view content) {
    const auto text = trimmed(content);
    return !text.empty() && text.front() != ';' &&
           !(text.front() == '[' && text.find(']') != std::string_view::npos);
}

// A line kept: the same bytes, except that the file's last line may gain a line end (a
// last line that ends in CR then reads as one with CR LF).
bool kept(const std::vector<Line>& before, std::size_t i, const Line& after) {
    if (i + 1 == before.size() && before[i].end.empty()) {
        return (after.content + after.end).starts_with(before[i].content);
    }
    return before[i].content == after.content && before[i].end == after.end;
}

// Checks that the edit changed at most `changed` lines of the old text in one place, or
// (when entriesOnly) that everything it dropped between the kept head and tail was an
// entry line, while the other lines there survive in order.
void checkKept(const std::vector<Line>& before, const std::vector<Line>& after, std::size_t changed,
               bool entriesOnly) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && kept(before, head, after[head])) {
        ++head;
    }
    std::size_t tail = 0;
    while (head + tail < before.size() && head + tail < after.size() &&
           kept(before, before.size() - 1 - tail, after[after.size() - 1 - tail])) {
        ++tail;
    }
    const std::size_t oldEnd = before.size() - tail;
    const std::size_t newEnd = after.size() - tail;
    if (!entriesOnly) {
        FUZZ_CHECK(oldEnd - head <= changed);
        return;
    }
    std::size_t j = head;
    for (std::size_t i = head; i < oldEnd; ++i) {
        if (isEntry(before[i].content)) {
            continue;
        }
        while (j < newEnd && !kept(before, i, after[j])) {
            ++j;
        }
        FUZZ_CHECK(j < newEnd);
        ++j;
    }
}

std::string expectedRead(std::string_view written) {
    const auto text = trimmed(written);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        return std::string(text.substr(1, text.size() - 2));
    }
    return std::string(text);
}

std::string normalised(std::string_view entry) {
    const auto equals = entry.find('=');
    if (equals == std::string_view::npos) {
        return std::string(trimmed(entry));
    }
    return std::string(trimmed(entry.substr(0, equals))) + "=" +
           std::string(trimmed(entry.substr(equals + 1)));
}

// Reads the edit script.
class Script {
public:
    explicit Script(std::string_view bytes) : bytes_(bytes) {}
    bool done() const { return at_ >= bytes_.size(); }
    std::uint8_t byte() { return done() ? 0 : static_cast<std::uint8_t>(bytes_[at_++]); }
    std::string text() {
        const std::size_t length = byte() % 24;
        const std::string_view piece = bytes_.substr(std::min(at_, bytes_.size()), length);
        at_ += piece.size();
        return std::string(piece);
    }
    // A name from the file (case shuffled now and then) or one from the script.
    std::string nameFrom(const std::vector<std::string>& names) {
        const std::uint8_t choice = byte();
        if (names.empty() || (choice & 0x80) != 0) {
            return text();
        }
        std::string name = names[choice % names.size()];
        if ((choice & 0x40) != 0) {
            for (char& c : name) {
                c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            }
        }
        return name;
    }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
};

std::vector<std::string> keysOf(const ProfileText& text, const std::string& section) {
    std::vector<std::string> keys;
    for (const auto& entry : text.section(section).value_or(std::vector<std::string>{})) {
        keys.push_back(entry.substr(0, entry.find('=')));
    }
    return keys;
}

void checkFits(const std::vector<std::string>& items, std::size_t size) {
    std::string list;
    for (const auto& item : items) {
        list += item;
        list += '\0';
    }
    const auto fitted = ProfileIni::fitList(items, size);
    if (list.size() + 1 <= size) {
        FUZZ_CHECK(fitted.returned == list.size() && fitted.text == list);
    } else if (size >= 2) {
        FUZZ_CHECK(fitted.returned == size - 2 && fitted.text.size() == size - 1);
        FUZZ_CHECK(fitted.text.compare(0, size - 2, list, 0, size - 2) == 0);
    } else {
        FUZZ_CHECK(fitted.returned == 0 && fitted.text.empty());
    }
    for (const auto& item : items) {
        const auto value = ProfileIni::fitValue(item, size);
        FUZZ_CHECK(value.returned == value.text.size());
        FUZZ_CHECK(value.returned == (size == 0 ? 0 : std::min(item.size(), size - 1)));
        FUZZ_CHECK(item.compare(0, value.text.size(), value.text) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto nul = input.find('\0');
    const std::string_view original = input.substr(0, nul);
    Script script(nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1));

    ProfileText text(original);
    FUZZ_CHECK(text.bytes() == original);
    const auto names = text.sectionNames();
    checkFits(names, 1 + names.size() * 3);
    for (const auto& name : names) {
        checkFits(text.section(name).value_or(std::vector<std::string>{}), 2 + name.size() * 4);
    }

    for (int step = 0; step < 8 && !script.done(); ++step) {
        const std::string before = text.bytes();
        const std::uint8_t operation = script.byte() % 3;
        const std::string section = script.nameFrom(text.sectionNames());
        ProfileText::Edit edit = ProfileText::Edit::Unchanged;
        std::size_t changed = 0;
        bool entriesOnly = false;
        if (operation == 0) {
            const std::string key = script.nameFrom(keysOf(text, section));
            const std::string value = script.text();
            edit = text.setValue(section, key, value);
            changed = 1;
            if (edit != ProfileText::Edit::Refused) {
                FUZZ_CHECK(text.value(section, key) == expectedRead(value));
            }
        } else if (operation == 1) {
            const std::string key = script.nameFrom(keysOf(text, section));
            edit = text.removeKey(section, key);
            changed = 1;
            FUZZ_CHECK(edit != ProfileText::Edit::Changed ||
                       splitLines(text.bytes()).size() + 1 == splitLines(before).size());
        } else {
            std::vector<std::string> entries =
                text.section(section).value_or(std::vector<std::string>{});
            const std::uint8_t count = script.byte() % 4;
            for (std::uint8_t n = 0; n < count; ++n) {
                const std::uint8_t where = script.byte();
                if ((where & 1) != 0 && !entries.empty()) {
                    entries.erase(entries.begin() + where % entries.size());
                } else {
                    entries.insert(entries.begin() + where % (entries.size() + 1), script.text());
                }
            }
            edit = text.replaceSection(section, entries);
            entriesOnly = true;
            if (edit != ProfileText::Edit::Refused) {
                std::vector<std::string> expected;
                for (const auto& entry : entries) {
                    if (isEntry(entry)) {
                        expected.push_back(normalised(entry));
                    }
                }
                FUZZ_CHECK(text.section(section) == expected);
            }
        }
        const std::string after = text.bytes();
        if (edit != ProfileText::Edit::Changed) {
            FUZZ_CHECK(after == before);
            continue;
        }
        FUZZ_CHECK(after != before);
        FUZZ_CHECK(ProfileText(after).bytes() == after);
        checkKept(splitLines(before), splitLines(after), changed, entriesOnly);
    }
    return 0;
}
