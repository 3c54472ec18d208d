#include "packsetup/KeilDriverSetup.h"

#include "common/AtomicFile.h"
#include "common/DesktopOpener.h"
#include "common/FileReader.h"
#include "common/SystemError.h"
#include "packsetup/WinePath.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <utility>

namespace halden {

namespace fs = std::filesystem;

namespace {

// A value read into the setup tool's 260-character buffer that comes back this long may
// have been cut, so it is passed over rather than judged on part of its text.
constexpr std::size_t kCutOff = KeilDriverSetup::kValueBuffer - 2;

std::string familyKey(const char* family, int number) {
    return family + std::to_string(number);
}

using ScannedKeys = std::array<std::string, KeilDriverSetup::kKeyCount>;

// The names a scan reads, family0 to family255, made once rather than for every scan.
ScannedKeys makeScannedKeys(const char* family) {
    ScannedKeys keys;
    for (int n = 0; n < KeilDriverSetup::kKeyCount; ++n) {
        keys[static_cast<std::size_t>(n)] = familyKey(family, n);
    }
    return keys;
}

const ScannedKeys& driverKeys() {
    static const ScannedKeys keys = makeScannedKeys(KeilDriverSetup::kDriverKeyFamily);
    return keys;
}

const ScannedKeys& cpuListKeys() {
    static const ScannedKeys keys = makeScannedKeys(KeilDriverSetup::kCpuListKeyFamily);
    return keys;
}

// The [ARMADS] values as the reads see them, looked up by key without regard to ASCII
// case, the first line of a key winning: a scan of 256 keys reads the section once, not
// once a key.
class ArmadsValues {
public:
    explicit ArmadsValues(const ProfileText& text) {
        for (auto& [key, value] :
             text.keyedValues(KeilDriverSetup::kSection)
                 .value_or(std::vector<std::pair<std::string, std::string>>{})) {
            values_.emplace(std::move(key), std::move(value));
        }
    }

    std::string_view value(std::string_view key) const {
        const auto found = values_.find(key);
        return found == values_.end() ? std::string_view() : std::string_view(found->second);
    }

private:
    static char lowered(char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }

    struct NoCaseHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const {
            std::size_t hash = key.size();
            for (const char c : key) {
                hash = hash * 131 + static_cast<unsigned char>(lowered(c));
            }
            return hash;
        }
    };
    struct NoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const {
            return a.size() == b.size() &&
                   std::equal(a.begin(), a.end(), b.begin(),
                              [](char x, char y) { return lowered(x) == lowered(y); });
        }
    };

    std::unordered_map<std::string, std::string, NoCaseHash, NoCaseEqual> values_;
};

// A key's value read into the setup tool's buffer: the value, cut to the buffer.
ProfileIni::Fitted bufferedValue(const ArmadsValues& values, const std::string& key) {
    return ProfileIni::fitValue(values.value(key), KeilDriverSetup::kValueBuffer);
}

// The value of a key as the scans see it: nothing for a missing, empty or cut-off one.
std::optional<std::string> scannedValue(const ArmadsValues& values, const std::string& key) {
    auto fitted = bufferedValue(values, key);
    if (fitted.returned == 0 || fitted.returned >= kCutOff) {
        return std::nullopt;
    }
    return std::move(fitted.text);
}

// The number of a list entry, "TDRV<n>", as a signed integer; 0 when there is none.
int entryNumber(std::string_view entry) {
    const std::size_t familyLength = std::string_view(KeilDriverSetup::kDriverKeyFamily).size();
    if (entry.size() <= familyLength) {
        return 0;
    }
    const std::string_view digits = entry.substr(familyLength);
    long long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error == std::errc::result_out_of_range) {
        return digits.front() == '-' ? INT_MIN : INT_MAX;
    }
    if (error != std::errc{}) {
        return 0;
    }
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

// A CPUDLL value split around its driver list: the text up to "(", the entries, and the
// tail from ")" on.
struct CpuList {
    std::vector<std::string> entries;
    std::string tail;

    static std::optional<CpuList> split(std::string_view value) {
        const std::size_t open = value.find('(');
        const std::size_t close = value.find(')');
        if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
            return std::nullopt;
        }
        CpuList list;
        list.tail = std::string(value.substr(close));
        const std::string_view inner = value.substr(open + 1, close - open - 1);
        if (!inner.empty()) {
            std::size_t start = 0;
            while (true) {
                const std::size_t comma = inner.find(',', start);
                list.entries.emplace_back(inner.substr(start, comma - start));
                if (comma == std::string_view::npos) {
                    break;
                }
                start = comma + 1;
            }
        }
        return list;
    }

    std::string join() const {
        std::string value = std::string(KeilDriverSetup::kCpuLibrary) + "(";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            value += (i == 0 ? "" : ",") + entries[i];
        }
        return value + tail;
    }
};

// Whether a CPUDLL value is the CPU library's own list: the library name stands whole in
// the value's head (before its list), at its start or after a path separator, so that
// another library whose name merely ends in it (XSARMCM3.DLL) is left alone.
bool namesCpuLibrary(std::string_view value) {
    const std::string_view name = KeilDriverSetup::kCpuLibrary;
    const std::string_view head = value.substr(0, value.find('('));
    for (std::size_t at = head.find(name); at != std::string_view::npos;
         at = head.find(name, at + 1)) {
        const bool startsWhole = at == 0 || head[at - 1] == '\\' || head[at - 1] == '/';
        const std::size_t after = at + name.size();
        const bool endsWhole = after == head.size() || head[after] == ' ' || head[after] == '\t';
        if (startsWhole && endsWhole) {
            return true;
        }
    }
    return false;
}

// The first CPUDLL key whose value satisfies `chosen`, with that value.
template <typename Chosen>
std::optional<std::pair<std::string, std::string>> findCpuList(const ProfileIni& ini,
                                                               Chosen&& chosen) {
    // One reading of the file serves the whole scan.
    const ArmadsValues values(ini.text());
    for (const std::string& key : cpuListKeys()) {
        if (auto value = scannedValue(values, key); value && chosen(*value)) {
            return std::make_pair(key, std::move(*value));
        }
    }
    return std::nullopt;
}

std::string entryKeyOf(std::string_view entry) {
    return std::string(entry.substr(0, entry.find('=')));
}

// A driver is a few hundred kilobytes; anything near this is not one.
void addNote(KeilDriverSetup::Outcome& outcome, const std::string& note) {
    outcome.note += (outcome.note.empty() ? "" : "; ") + note;
}

constexpr std::uintmax_t kMaxDriverSize = 64u * 1024 * 1024;

// The size of a file on disk; 0 when it cannot be had (the reads then say what is there).
std::uintmax_t fileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

} // namespace

KeilDriverSetup::KeilDriverSetup(std::string programFolder, DesktopOpener& opener)
    : programFolder_(std::move(programFolder)), opener_(opener) {}

std::uint32_t KeilDriverSetup::LocateToolsIni(std::string_view folderText,
                                              std::string& toolsIni) const {
    if (folderText.empty()) {
        return SystemError::kDirectory;
    }
    fs::path folder(std::string{folderText});
    if (folderText.size() >= 2 && folderText[1] == ':') {
        // A Keil folder typed as Windows sees it, in the default Wine prefix.
        const auto mapped = WinePath::toHost(folderText, fs::path());
        if (!mapped) {
            return SystemError::kPathNotFound;
        }
        folder = *mapped;
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return SystemError::kPathNotFound;
    }
    const fs::path file = WinePath::childNoCase(folder, kToolsIniName);
    if (!fs::is_regular_file(file, error)) {
        return SystemError::kFileNotFound;
    }
    toolsIni = file.string();
    return 0;
}

std::uint32_t KeilDriverSetup::HasArmadsSection(const ProfileIni& ini) {
    // The names are read into a buffer that doubles while the names come back cut.
    std::size_t size = 256;
    ProfileIni::Fitted names = ini.sectionNames(size);
    while (names.returned == size - 2) {
        if (size > ProfileIni::kMaxFileSize) {
            return SystemError::kNotEnoughMemory;
        }
        size *= 2;
        names = ini.sectionNames(size);
    }
    // The names themselves, not the NUL-separated list: a name holding a NUL byte would
    // otherwise read as two.
    for (const auto& name : ini.sectionNames()) {
        if (WinePath::equalNoCase(name, kSection)) {
            return 0;
        }
    }
    return SystemError::kNotFound;
}

std::uint32_t KeilDriverSetup::FindDriverKey(const ProfileIni& ini, std::string& key,
                                             std::optional<int>& anchor) {
    anchor.reset();
    const ArmadsValues values(ini.text());
    for (int n = 0; n < kKeyCount; ++n) {
        const std::string& name = driverKeys()[static_cast<std::size_t>(n)];
        const auto fitted = bufferedValue(values, name);
        if (fitted.returned == 0) {
            if (!anchor) {
                anchor = n - 1;
            }
        } else if (fitted.returned < kCutOff &&
                   fitted.text.find(kDriverFileName) != std::string::npos) {
            key = name;
            return 0;
        }
    }
    if (anchor) {
        key = familyKey(kDriverKeyFamily, *anchor);
    } else {
        key.clear();
    }
    return SystemError::kNotFound;
}

std::string KeilDriverSetup::InsertIntoCpuList(ProfileIni& ini, int newNumber) {
    const auto found = findCpuList(ini, namesCpuLibrary);
    if (!found) {
        return {};
    }
    // Empty parentheses take the key too: an Uninstall of the only member leaves them, and
    // the driver must be offered again after the next Install.
    auto list = CpuList::split(found->second);
    if (!list) {
        return {};
    }
    const std::string newKey = familyKey(kDriverKeyFamily, newNumber);
    std::vector<std::string> entries;
    bool inserted = false;
    for (auto& entry : list->entries) {
        if (!inserted && entryNumber(entry) >= newNumber) {
            entries.push_back(newKey);
            inserted = true;
            if (WinePath::equalNoCase(entry, newKey)) {
                continue;
            }
        }
        entries.push_back(std::move(entry));
    }
    if (!inserted) {
        entries.push_back(newKey);
    }
    list->entries = std::move(entries);
    ini.writeString(kSection, found->first, list->join());
    return found->first;
}

std::string KeilDriverSetup::RemoveFromCpuList(ProfileIni& ini, std::string_view driverKey) {
    const auto found = findCpuList(ini, namesCpuLibrary);
    if (!found) {
        return {};
    }
    auto list = CpuList::split(found->second);
    if (!list) {
        return {};
    }
    std::erase_if(list->entries, [driverKey](const std::string& entry) {
        return WinePath::equalNoCase(entry, driverKey);
    });
    ini.writeString(kSection, found->first, list->join());
    return found->first;
}

std::vector<std::string> KeilDriverSetup::ReadArmadsSection(const ProfileIni& ini) {
    // The setup tool grew its buffer by 512 characters until 512 stayed free, so it always
    // ended up with the whole section.
    return ini.readSection(kSection).value_or(std::vector<std::string>{});
}

std::uint32_t KeilDriverSetup::InsertDriverLine(ProfileIni& ini,
                                                const std::vector<std::string>& section, int anchor,
                                                std::string_view value) {
    const std::string anchorKey = familyKey(kDriverKeyFamily, anchor);
    const std::string line = familyKey(kDriverKeyFamily, anchor + 1) + "=" + std::string(value);
    std::vector<std::string> rewritten;
    rewritten.reserve(section.size() + 1);
    bool placed = false;
    for (const auto& entry : section) {
        rewritten.push_back(entry);
        if (!placed && entryKeyOf(entry) == anchorKey) {
            rewritten.push_back(line);
            placed = true;
        }
    }
    // No line carries the anchor (TDRV0 was free, or the anchor's line spells its key in
    // other letters): the driver goes after the section's last entry, so it is registered
    // all the same.
    if (!placed) {
        rewritten.push_back(line);
    }
    return ini.writeSection(kSection, rewritten).empty() ? 0 : SystemError::kAccessDenied;
}

std::string KeilDriverSetup::driverDestination(const ProfileIni& ini) {
    const auto folder = ini.readString(kSection, kPathKey);
    if (!folder || folder->empty()) {
        return {};
    }
    if (folder->front() == '/') {
        const bool ended = folder->back() == '/' || folder->back() == '\\';
        return *folder + (ended ? "" : "/") + "BIN/" + kDriverFileName;
    }
    const std::string windowsPath =
        *folder + (folder->back() == '\\' ? "" : "\\") + "BIN\\" + kDriverFileName;
    const auto host = WinePath::toHost(windowsPath, ini.path());
    return host ? host->string() : std::string();
}

bool KeilDriverSetup::CopyLinkLibrary(const ProfileIni& ini, Outcome& outcome) const {
    outcome.driverPath = driverDestination(ini);
    if (outcome.driverPath.empty()) {
        addNote(outcome, "TOOLS.INI names no Keil folder (PATH in [ARMADS]) that this system can "
                         "reach: the driver was not copied");
        return false;
    }
    const fs::path source = WinePath::childNoCase(programFolder_, kDriverFileName);
    std::error_code error;
    if (!fs::is_regular_file(source, error)) {
        outcome.driverSourceMissing = true;
        addNote(outcome,
                "there is no " + std::string(kDriverFileName) + " beside the program to copy");
        return false;
    }
    const fs::path destination(outcome.driverPath);
    if (!fs::is_directory(destination.parent_path(), error)) {
        addNote(outcome, "Keil's folder " + destination.parent_path().string() + " does not exist");
        return false;
    }
    // The copy replaces the old driver whole or not at all.
    const auto read = FileReader::read(source.string(), kMaxDriverSize);
    const std::string problem = read.bytes ? AtomicFile::write(destination.string(), *read.bytes)
                                           : "cannot read " + source.string() + ": " + read.reason;
    if (!problem.empty()) {
        addNote(outcome, "the driver was not copied: " + problem);
        return false;
    }
    outcome.driverCopied = true;
    return true;
}

std::string KeilDriverSetup::OpenPack() const {
    std::vector<fs::path> packs;
    std::error_code error;
    for (fs::directory_iterator it(programFolder_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kind;
        if (name.size() > 5 && WinePath::equalNoCase(name.substr(name.size() - 5), ".pack") &&
            it->is_regular_file(kind)) {
            packs.push_back(it->path());
        }
    }
    if (packs.empty()) {
        return {};
    }
    const fs::path first = *std::min_element(packs.begin(), packs.end());
    opener_.open(first.string());
    return first.string();
}

KeilDriverSetup::Outcome KeilDriverSetup::opened(const ProfileIni& toolsIni) {
    Outcome outcome;
    outcome.toolsIni = toolsIni.path();
    // A file beyond what the INI module reads would read as empty, as if it held no
    // [ARMADS] section.
    const std::uintmax_t size =
        toolsIni.heldBytes() != nullptr ? toolsIni.heldBytes()->size() : fileSize(toolsIni.path());
    if (size > ProfileIni::kMaxFileSize) {
        outcome.error = SystemError::kFileTooLarge;
        return outcome;
    }
    outcome.error = HasArmadsSection(toolsIni);
    return outcome;
}

KeilDriverSetup::Outcome KeilDriverSetup::Install(std::string_view folderText) {
    Outcome outcome;
    outcome.error = LocateToolsIni(folderText, outcome.toolsIni);
    if (outcome.error != 0) {
        return outcome;
    }
    ProfileIni ini(outcome.toolsIni);
    return Install(ini);
}

KeilDriverSetup::Outcome KeilDriverSetup::Install(ProfileIni& ini) {
    Outcome outcome = opened(ini);
    if (outcome.error != 0) {
        return outcome;
    }
    std::string key;
    std::optional<int> anchor;
    if (FindDriverKey(ini, key, anchor) == 0) {
        ini.writeString(kSection, key, kDriverValue);
        outcome.driverKey = key;
    } else if (anchor) {
        outcome.cpuListKey = InsertIntoCpuList(ini, *anchor + 1);
        InsertDriverLine(ini, ReadArmadsSection(ini), *anchor, kDriverValue);
        outcome.driverKey = familyKey(kDriverKeyFamily, *anchor + 1);
    } else {
        outcome.note = "every key from TDRV0 to TDRV255 is taken: the driver was not registered";
    }
    // What was written is what a scan finds: a file that could not be written (read-only,
    // a full disk) leaves the driver unregistered, and says so.
    if (std::string found; !outcome.driverKey.empty() &&
                           (FindDriverKey(ini, found, anchor) != 0 || found != outcome.driverKey)) {
        outcome.note = "TOOLS.INI could not be written: the driver was not registered";
        outcome.driverKey.clear();
    }
    CopyLinkLibrary(ini, outcome);
    outcome.pack = OpenPack();
    return outcome;
}

KeilDriverSetup::Outcome KeilDriverSetup::Uninstall(std::string_view folderText) {
    Outcome outcome;
    outcome.error = LocateToolsIni(folderText, outcome.toolsIni);
    if (outcome.error != 0) {
        return outcome;
    }
    ProfileIni ini(outcome.toolsIni);
    return Uninstall(ini);
}

KeilDriverSetup::Outcome KeilDriverSetup::Uninstall(ProfileIni& ini) {
    Outcome outcome = opened(ini);
    if (outcome.error != 0) {
        return outcome;
    }
    std::string key;
    std::optional<int> anchor;
    if (FindDriverKey(ini, key, anchor) != 0) {
        outcome.note = "TOOLS.INI has no entry for " + std::string(kDriverFileName);
        return outcome;
    }
    outcome.driverKey = key;
    outcome.cpuListKey = RemoveFromCpuList(ini, key);
    outcome.driverPath = driverDestination(ini);
    std::error_code error;
    const fs::path driver(outcome.driverPath);
    const auto status = fs::symlink_status(driver, error);
    const bool absent = outcome.driverPath.empty() || status.type() == fs::file_type::not_found;
    if (!absent && !fs::is_directory(status)) {
        outcome.driverDeleted = fs::remove(driver, error) && !error;
    }
    // A driver that is not there has nothing left to delete; one that stays (a folder in
    // its place, no rights) keeps its line, so a later Uninstall tries again.
    if (absent || outcome.driverDeleted) {
        ini.deleteKey(kSection, key);
    } else {
        outcome.note = "the driver " + outcome.driverPath +
                       " cannot be deleted; its entry stays in TOOLS.INI" +
                       (error ? ": " + error.message() : std::string());
    }
    return outcome;
}

} // namespace halden
