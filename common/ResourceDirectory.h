#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace halden {

// A module's resources, packed at build time by respack:
//   "HLDNRSRC", u32 count, count entries of {char type[16], u32 id, u32 offset, u32 size},
//   then the data. All numbers little-endian; offsets count from the start of the blob.
// The blob may come from a file, so every entry is checked against the blob's size.
class ResourceDirectory {
public:
    static constexpr std::string_view kMagic = "HLDNRSRC";
    static constexpr std::size_t kHeaderSize = 12;
    static constexpr std::size_t kTypeSize = 16;
    static constexpr std::size_t kEntrySize = kTypeSize + 12;
    // Name of the ELF section that holds a shared library's resource blob.
    static constexpr const char* kSectionName = ".halden_rsrc";

    explicit ResourceDirectory(std::span<const std::uint8_t> blob);

    // False when the blob is not a resource directory or its table runs past the end.
    bool valid() const { return valid_; }

    // The resource's bytes; the type compares case-insensitively. Nothing when absent or
    // when its entry points outside the blob.
    std::optional<std::span<const std::uint8_t>> find(std::string_view type,
                                                      std::uint32_t id) const;

private:
    std::span<const std::uint8_t> blob_;
    std::uint32_t count_ = 0;
    bool valid_ = false;
};

} // namespace halden
