#pragma once

#include "adapter/wire/LinkLibraryResources.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace halden {

// What the programs read from the link library's file before (or without) calling
// into it: its version record and the adapter firmware image it carries.
class LinkLibraryFile {
public:
    // Result of CheckLinkLibraryVersion when the library is older than 1.3.
    static constexpr std::uint32_t kTooOld = 2007;
    static constexpr std::uint32_t kMinimumVersion = 0x10003; // major << 16 | minor
    static constexpr const char* kVersionType = LinkLibraryResources::kVersionType;
    static constexpr std::uint32_t kVersionId = LinkLibraryResources::kVersionId;
    static constexpr const char* kFirmwareType = LinkLibraryResources::kFirmwareType;
    static constexpr std::uint32_t kFirmwareId = LinkLibraryResources::kFirmwareId;

    // 0 when the file may be loaded, kTooOld when it is older than 1.3, otherwise a
    // system error code (SystemError): 2 when the file does not exist, 1813 when it
    // has no version record, 13 when the record is malformed.
    static std::uint32_t CheckLinkLibraryVersion(const std::string& path);

    // The file version, major << 16 | minor and build << 16 | revision; nothing when
    // the file has no readable version record.
    struct Version {
        std::uint32_t mostSignificant = 0;
        std::uint32_t leastSignificant = 0;
    };
    static std::optional<Version> version(const std::string& path);

    // The adapter firmware image (resource "FW" 5002); nothing without it.
    static std::optional<std::vector<std::uint8_t>> firmwareImage(const std::string& path);
};

} // namespace halden
