#pragma once

#include <cstdint>

namespace halden {

struct OfflineSettings;

// Where the user sets the off-line options before the download: the Off-Line Mode
// dialog in the window, the options in the command line.
class OfflineSettingsEditor {
public:
    virtual ~OfflineSettingsEditor() = default;
    // Edits the freshly reset settings for a part with this flash size; false when the
    // user abandoned the download.
    virtual bool editOfflineSettings(OfflineSettings& settings, std::uint32_t flashSize) = 0;
};

} // namespace halden
