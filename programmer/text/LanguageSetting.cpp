#include "programmer/text/LanguageSetting.h"

#include "common/SettingsStore.h"

namespace halden {

std::uint16_t LanguageSetting::read(SettingsStore& settings) {
    const int stored = settings.readInt(kSection, kKey, kEnglish);
    if (stored < 0 || stored >= kCount) {
        return kEnglish;
    }
    return static_cast<std::uint16_t>(stored);
}

void LanguageSetting::write(SettingsStore& settings, std::uint16_t languageIndex) {
    settings.writeInt(kSection, kKey, languageIndex < kCount ? languageIndex : kEnglish);
}

} // namespace halden
