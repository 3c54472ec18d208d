#pragma once

#include "common/ResourceDirectory.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace halden {

// Keyed string tables, resources of type "DYNAMIC": records of a u16 LE key and a
// NUL-terminated UTF-16LE string, ended by key 0xFFFF. Looked up by linear scan, the
// first occurrence of a key wins. The same format holds the UI texts and the chip
// descriptors.
class KeyedTables {
public:
    static constexpr std::uint16_t kEndKey = 0xFFFF;

    explicit KeyedTables(ResourceDirectory resources) : resources_(resources) {}

    // The key's string in table resourceId; nothing when the table or the key is absent.
    std::optional<std::u16string> FindTableString(std::uint32_t resourceId,
                                                  std::uint16_t key) const;
    // The key's string converted as wcstoul with base 0 does; 0 when absent.
    std::uint32_t GetTableNumber(std::uint32_t resourceId, std::uint16_t key) const;

    // The scan on one table's bytes. A table without its end marker ends where its
    // bytes end; a string without its NUL is not returned.
    static std::optional<std::u16string> findInTable(std::span<const std::uint8_t> table,
                                                     std::uint16_t key);
    // wcstoul(text, nullptr, 0) with a 32-bit unsigned long.
    static std::uint32_t parseNumber(std::u16string_view text);

private:
    ResourceDirectory resources_;
};

} // namespace halden
