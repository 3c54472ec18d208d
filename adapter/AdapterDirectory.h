#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halden {

class LinkLibrary;

// What the link library stand-in tells beyond the nine exports: which Tavro devices are
// on the bus, which one is open, and the firmware version the last query read. A library
// without these exports (the vendor's own) lists nothing and knows no path or version.
class AdapterDirectory {
public:
    static constexpr const char* kListExport = "TavroAdapterList";
    static constexpr const char* kPathExport = "TavroAdapterPath";
    static constexpr const char* kFirmwareExport = "TavroAdapterFirmware";
    // The variable the library reads at each connect: the path of the adapter to open.
    static constexpr const char* kAdapterPathVariable = "HALDEN_ADAPTER_PATH";

    struct Device {
        std::string path;
        std::uint16_t productId = 0;
        std::string serialNumber;
    };

    explicit AdapterDirectory(const LinkLibrary& library);

    std::vector<Device> devices() const;
    // The open adapter's path; empty when none is open or the library does not say.
    std::string openPath() const;
    // "1.5" from the last firmware query; nothing when the library does not say.
    std::optional<std::string> firmwareVersion() const;

    // Parses the list export's text; a line without its three fields is passed over.
    static std::vector<Device> parseList(const std::string& text);

private:
    using TextFn = unsigned (*)(char* buffer, unsigned size);
    using FirmwareFn = int (*)();

    static std::string callText(TextFn function);

    TextFn list_ = nullptr;
    TextFn path_ = nullptr;
    FirmwareFn firmware_ = nullptr;
};

} // namespace halden
