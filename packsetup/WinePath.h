#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace halden {

// Keil MDK runs under Wine here, so the paths in its TOOLS.INI are Windows paths. A path
// with a drive letter is mapped through the Wine prefix that holds the TOOLS.INI
// (<prefix>/dosdevices/c: names ../drive_c), each name matched without regard to case as
// Wine matches it; an absolute path of this system stands as it is.
class WinePath {
public:
    // The prefix that holds `file`: the nearest folder above it with a dosdevices folder,
    // or the folder that holds the drive_c above it;
    // otherwise (also for no file) WINEPREFIX, then ~/.wine, where they exist.
    static std::optional<std::filesystem::path> prefixOf(const std::filesystem::path& file);

    // `windowsPath` as a path of this system, for a file beside `toolsIni`'s Keil; nothing
    // for a path that is neither absolute here nor drive-letter absolute, or for a drive
    // the prefix does not have.
    static std::optional<std::filesystem::path> toHost(std::string_view windowsPath,
                                                       const std::filesystem::path& toolsIni);

    // `folder`/`name` with `name` matched without regard to ASCII case: an exact match
    // first, then the first entry in name order; `name` as written when none matches.
    static std::filesystem::path childNoCase(const std::filesystem::path& folder,
                                             std::string_view name);
    // The names of a relative path (separated by \ or /) matched one by one below `base`.
    static std::filesystem::path resolveNoCase(const std::filesystem::path& base,
                                               std::string_view relative);

    static bool equalNoCase(std::string_view a, std::string_view b);
    // A folder, or a link to one; false for anything that cannot be looked at.
    static bool isFolder(const std::filesystem::path& path);

private:
    static std::optional<std::filesystem::path> defaultPrefix();
};

} // namespace halden
