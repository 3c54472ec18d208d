#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace halden {

// The text of an INI file as the private-profile functions see it, read and edited in
// memory. The text is bytes in the ANSI code page and is never re-encoded; each line keeps
// its own end (CR LF, LF, or none for a last line without one).
//
// Reading: a line whose first non-blank character is "[" and that holds a "]" after it
// heads a section named by the text between them; ";" starts a comment; blank lines and
// comments are no entries. Any other line in a section is an entry "key=value" (a line
// without "=" is a key with an empty value); blanks around keys, values and section names
// do not count, and names compare without regard to ASCII case. The first section of a
// name and the first key of a name in it win; lines before the first section belong to
// none.
//
// Writing changes only the lines it must: every other line keeps its bytes. New lines take
// the file's line end (that of its first line, CR LF in a file without any). Values and
// lines are never cut: callers that reproduce fixed buffers apply the size rules of
// ProfileIni::fitValue and fitList. Names and lines that would change the file's structure
// (a line break, a NUL, a "]" in a section name, a "=" in a key, ...) are refused rather
// than written.
class ProfileText {
public:
    enum class Edit { Changed, Unchanged, Refused };

    explicit ProfileText(std::string_view bytes = {});

    std::string bytes() const;

    // The names of all sections in file order, duplicates included.
    std::vector<std::string> sectionNames() const;
    // The value of key in section, its surrounding quotes dropped when its first and last
    // characters are the same quote (" or '); nothing when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The section's entries as "key=value" (quotes kept), in file order; nothing when the
    // section is missing.
    std::optional<std::vector<std::string>> section(std::string_view section) const;
    // The section's entries as their keys and their values as value() reads them, in file
    // order; nothing when the section is missing. A caller that looks up many keys of one
    // section reads it once rather than once a key.
    std::optional<std::vector<std::pair<std::string, std::string>>>
    keyedValues(std::string_view section) const;

    // Sets key in section to value: the key's line is rewritten in place, a new key goes
    // after the section's last entry, a new section to the end of the file.
    Edit setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the first line of key in section.
    Edit removeKey(std::string_view section, std::string_view key);
    // Makes the section's entries exactly `entries` ("key=value" lines). The entries at the
    // start and at the end that stay the same keep their lines, comments and blank lines
    // stay, and the new entries take the place of the first one removed, so inserting one
    // entry adds one line. Only the new entries are checked, so a section read with
    // section() can always be written back with an entry added.
    Edit replaceSection(std::string_view section, const std::vector<std::string>& entries);

    static bool validSectionName(std::string_view name);
    static bool validKey(std::string_view key);
    static bool validValue(std::string_view value);
    static bool validEntry(std::string_view entry);

private:
    struct Line {
        std::string content; // without its line end
        std::string end;     // "\r\n", "\n" or "" (a last line without one)
    };
    enum class Kind { Blank, Comment, Header, Entry };
    struct Span {
        std::size_t header; // index of the header line
        std::size_t end;    // one past the section's last line
    };

    static Kind kindOf(std::string_view content);
    static std::string_view headerName(std::string_view content);
    static std::string_view entryKey(std::string_view content);
    static std::string normalisedEntry(std::string_view content);
    static std::string entryValue(std::string_view content);

    std::optional<Span> findSection(std::string_view name) const;
    std::optional<std::size_t> findKey(const Span& span, std::string_view key) const;
    std::string newLineEnd() const;
    // Inserts lines at position, giving a line before them that ended the file a line end.
    void insertLines(std::size_t position, const std::vector<std::string>& contents);
    void appendSection(std::string_view name, const std::vector<std::string>& contents);

    std::string mark_; // a UTF-8 byte order mark before the first line, kept as it was
    std::vector<Line> lines_;
};

} // namespace halden
