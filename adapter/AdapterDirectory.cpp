#include "adapter/AdapterDirectory.h"

#include "adapter/LinkLibrary.h"

#include <charconv>
#include <cstdio>

namespace halden {

AdapterDirectory::AdapterDirectory(const LinkLibrary& library)
    : list_(reinterpret_cast<TextFn>(library.symbol(kListExport))),
      path_(reinterpret_cast<TextFn>(library.symbol(kPathExport))),
      firmware_(reinterpret_cast<FirmwareFn>(library.symbol(kFirmwareExport))) {}

std::string AdapterDirectory::callText(TextFn function) {
    if (function == nullptr) {
        return {};
    }
    // The list may grow between the two calls: ask again until it fits.
    std::string text;
    for (unsigned needed = function(nullptr, 0), tries = 0; tries < 4; ++tries) {
        text.assign(std::size_t{needed} + 1, '\0');
        const unsigned now = function(text.data(), needed + 1);
        if (now <= needed) {
            text.resize(now);
            return text;
        }
        needed = now;
    }
    return {};
}

std::vector<AdapterDirectory::Device> AdapterDirectory::devices() const {
    return parseList(callText(list_));
}

std::string AdapterDirectory::openPath() const {
    return callText(path_);
}

std::optional<std::string> AdapterDirectory::firmwareVersion() const {
    const int version = firmware_ ? firmware_() : -1;
    if (version < 0) {
        return std::nullopt;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%X.%X", (version >> 8) & 0xFF, version & 0xFF);
    return std::string(text);
}

std::vector<AdapterDirectory::Device> AdapterDirectory::parseList(const std::string& text) {
    std::vector<Device> devices;
    for (std::size_t start = 0; start < text.size();) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || tab1 == 0) {
            continue;
        }
        unsigned productId = 0;
        const char* first = line.data() + tab1 + 1;
        const char* last = line.data() + tab2;
        const auto [stop, error] = std::from_chars(first, last, productId, 16);
        if (error != std::errc() || stop != last || productId > 0xFFFF) {
            continue;
        }
        devices.push_back(
            {line.substr(0, tab1), static_cast<std::uint16_t>(productId), line.substr(tab2 + 1)});
    }
    return devices;
}

} // namespace halden
