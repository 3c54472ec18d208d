#pragma once

#include <cstdint>
#include <string_view>

namespace halden {

class SettingsStore;

// The setting "Language": which text table the programmer shows, read once at start-up,
// so a new choice shows at the next start. 0 English (table 256), 1 Simplified Chinese
// (table 257). Absent, or a value with no table behind it: English, so a stray value can
// never leave the window without texts.
class LanguageSetting {
public:
    static constexpr std::string_view kSection = "Settings";
    static constexpr std::string_view kKey = "Language";
    static constexpr std::uint16_t kEnglish = 0;
    static constexpr std::uint16_t kSimplifiedChinese = 1;
    static constexpr std::uint16_t kCount = 2;

    static std::uint16_t read(SettingsStore& settings);
    static void write(SettingsStore& settings, std::uint16_t languageIndex);
};

} // namespace halden
