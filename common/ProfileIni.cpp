#include "common/ProfileIni.h"

#include "common/AtomicFile.h"
#include "common/FileReader.h"
#include "common/ProfileText.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace halden {

namespace {

ProfileText textOf(const std::optional<std::string>& bytes) {
    return ProfileText(bytes ? std::string_view(*bytes) : std::string_view());
}

} // namespace

ProfileIni ProfileIni::held(std::string path, std::string bytes) {
    ProfileIni ini(std::move(path));
    ini.held_ = std::move(bytes);
    return ini;
}

std::optional<std::string> ProfileIni::load(std::string& error) const {
    std::optional<std::string> bytes;
    std::error_code ignored;
    if (held_) {
        bytes = held_->size() <= kMaxFileSize ? held_ : std::nullopt;
    } else if (!std::filesystem::exists(path_, ignored)) {
        return std::string();
    } else if (const auto read = FileReader::readAll(path_, kMaxFileSize)) {
        bytes = std::string(read->begin(), read->end());
    }
    if (!bytes) {
        error = "cannot read " + path_ + " (not a readable file of at most " +
                std::to_string(kMaxFileSize) + " bytes)";
    }
    return bytes;
}

std::vector<std::string> ProfileIni::sectionNames() const {
    std::string error;
    return textOf(load(error)).sectionNames();
}

ProfileText ProfileIni::text() const {
    std::string error;
    return textOf(load(error));
}

std::optional<std::string> ProfileIni::readString(std::string_view section,
                                                  std::string_view key) const {
    std::string error;
    return textOf(load(error)).value(section, key);
}

std::optional<std::vector<std::string>> ProfileIni::readSection(std::string_view section) const {
    std::string error;
    return textOf(load(error)).section(section);
}

ProfileIni::Fitted ProfileIni::sectionNames(std::size_t size) const {
    return fitList(sectionNames(), size);
}

ProfileIni::Fitted ProfileIni::readString(std::string_view section, std::string_view key,
                                          std::string_view fallback, std::size_t size) const {
    const auto value = readString(section, key);
    return fitValue(value ? std::string_view(*value) : fallback, size);
}

ProfileIni::Fitted ProfileIni::readSection(std::string_view section, std::size_t size) const {
    return fitList(readSection(section).value_or(std::vector<std::string>{}), size);
}

template <typename Change> std::string ProfileIni::edit(Change&& change) {
    std::string error;
    const auto bytes = load(error);
    if (!bytes) {
        return error;
    }
    ProfileText text(*bytes);
    switch (change(text)) {
    case ProfileText::Edit::Refused:
        return "refused to write a name or line break that would change the structure of " + path_;
    case ProfileText::Edit::Unchanged:
        return {};
    case ProfileText::Edit::Changed:
        break;
    }
    if (held_) {
        *held_ = text.bytes();
        return {};
    }
    // A link is followed, so the file it names is the one replaced.
    std::error_code ignored;
    const std::filesystem::path target = std::filesystem::is_symlink(path_, ignored)
                                             ? std::filesystem::canonical(path_, ignored)
                                             : std::filesystem::path(path_);
    struct stat before {};
    const bool existed = ::stat(target.c_str(), &before) == 0;
    const std::string out = text.bytes();
    error = AtomicFile::write(
        target.string(), std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
    if (error.empty() && existed) {
        ::chmod(target.c_str(), before.st_mode & 07777);
    }
    return error;
}

std::string ProfileIni::writeString(std::string_view section, std::string_view key,
                                    std::string_view value) {
    return edit([&](ProfileText& text) { return text.setValue(section, key, value); });
}

std::string ProfileIni::deleteKey(std::string_view section, std::string_view key) {
    return edit([&](ProfileText& text) { return text.removeKey(section, key); });
}

std::string ProfileIni::writeSection(std::string_view section,
                                     const std::vector<std::string>& entries) {
    return edit([&](ProfileText& text) { return text.replaceSection(section, entries); });
}

ProfileIni::Fitted ProfileIni::fitValue(std::string_view value, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const std::size_t kept = std::min(value.size(), size - 1);
    return {std::string(value.substr(0, kept)), kept};
}

ProfileIni::Fitted ProfileIni::fitList(const std::vector<std::string>& items, std::size_t size) {
    std::string list;
    for (const auto& item : items) {
        list += item;
        list += '\0';
    }
    if (list.size() + 1 <= size) {
        return {list, list.size()};
    }
    if (size < 2) {
        return {};
    }
    // The system ends a cut list with two NULs in the buffer's last two places.
    return {list.substr(0, size - 2) + '\0', size - 2};
}

} // namespace halden
