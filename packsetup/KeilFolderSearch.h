#pragma once

#include <filesystem>
#include <vector>

namespace halden {

// The Keil MDK folders that hold a TOOLS.INI in Wine prefixes: MDK keeps it in its
// installation folder (a folder of drive C: or of its program folders) or, in newer
// releases, in the user's local application data folder Keil_v5.
class KeilFolderSearch {
public:
    struct Found {
        std::filesystem::path folder;   // what Install and Uninstall take
        std::filesystem::path toolsIni; // the file in it
        std::filesystem::path prefix;   // the Wine prefix it lies in
    };

    // WINEPREFIX, ~/.wine, and the prefixes winetricks and Bottles keep under
    // ~/.local/share, those that exist, each once.
    static std::vector<std::filesystem::path> userPrefixes();
    // In prefix order, each prefix's folders in name order.
    static std::vector<Found> find(const std::vector<std::filesystem::path>& prefixes);
};

} // namespace halden
