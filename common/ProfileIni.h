#pragma once

#include "common/ProfileText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// An INI file through the private-profile calls: each call reads the file anew, and each
// write that changes something replaces the file whole (a temporary file beside it, flushed,
// then renamed over it), keeping its permissions. What a line is and which lines a write
// touches is ProfileText's; lines a write does not change keep their bytes.
//
// Values come back whole, however long: a caller that stands for a fixed buffer of n
// characters uses the sized reads (or fitValue and fitList), which give what that buffer
// would have held and the count the system call returns. No value or line is ever cut
// in the file itself.
class ProfileIni {
public:
    // A larger file reads as empty and is never written, so no read allocates without bound
    // and no write replaces it with a shortened copy.
    static constexpr std::uintmax_t kMaxFileSize = 16u * 1024 * 1024;

    // What a call with a buffer of `size` characters hands back: `text` the buffer's
    // contents without its last NUL, `returned` the call's result.
    struct Fitted {
        std::string text;
        std::size_t returned = 0;
    };

    explicit ProfileIni(std::string path) : path_(std::move(path)) {}

    // A file held in memory under the name `path`: the calls read `bytes` and writes
    // replace them, so a caller that edits text it already holds (a fuzzer feeding the
    // setup tool's operations) runs the very same calls without touching a disk.
    static ProfileIni held(std::string path, std::string bytes);

    const std::string& path() const { return path_; }
    // The bytes of a file held in memory; null for a file on disk.
    const std::string* heldBytes() const { return held_ ? &*held_ : nullptr; }

    // The file as every read call sees it while nothing writes it, for a caller that
    // reads many keys at once; empty for a missing or unreadable file.
    ProfileText text() const;
    // The section names, in file order (GetPrivateProfileSectionNames).
    std::vector<std::string> sectionNames() const;
    // A key's value, surrounding quotes dropped; nothing when the section or key is
    // missing, also when the file is (GetPrivateProfileString).
    std::optional<std::string> readString(std::string_view section, std::string_view key) const;
    // The section's "key=value" entries (GetPrivateProfileSection).
    std::optional<std::vector<std::string>> readSection(std::string_view section) const;

    // The reads as a caller with a buffer of `size` characters gets them (below): the
    // names; a value, or `fallback` when the key is missing; the section's entries.
    Fitted sectionNames(std::size_t size) const;
    Fitted readString(std::string_view section, std::string_view key, std::string_view fallback,
                      std::size_t size) const;
    Fitted readSection(std::string_view section, std::size_t size) const;

    // Writes return empty on success, otherwise what went wrong, and then the file is as it
    // was. A missing file is created; an unreadable one is never replaced.
    // Sets a key (WritePrivateProfileString).
    std::string writeString(std::string_view section, std::string_view key, std::string_view value);
    // Deletes a key (WritePrivateProfileString without a value).
    std::string deleteKey(std::string_view section, std::string_view key);
    // Replaces the section's entries (WritePrivateProfileSection).
    std::string writeSection(std::string_view section, const std::vector<std::string>& entries);

    // A value: at most size - 1 characters, so a cut value returns size - 1.
    static Fitted fitValue(std::string_view value, std::size_t size);
    // A list of names or entries, each ended by a NUL (text holds those NULs): when the list
    // and its closing NUL do not fit, the first size - 2 characters and the result size - 2.
    static Fitted fitList(const std::vector<std::string>& items, std::size_t size);

private:
    // The file's bytes; empty for a missing file; nothing (and why in error) when it
    // exists but cannot be read.
    std::optional<std::string> load(std::string& error) const;
    template <typename Change> std::string edit(Change&& change);

    std::string path_;
    std::optional<std::string> held_;
};

} // namespace halden
