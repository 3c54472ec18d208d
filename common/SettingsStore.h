#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// The per-user profile: integers, strings and binary values by section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int readInt(std::string_view section, std::string_view key, int fallback) = 0;
    virtual void writeInt(std::string_view section, std::string_view key, int value) = 0;
    virtual std::u16string readString(std::string_view section, std::string_view key,
                                      std::u16string_view fallback) = 0;
    virtual void writeString(std::string_view section, std::string_view key,
                             std::u16string_view value) = 0;
    virtual std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section,
                                                                std::string_view key) = 0;
    virtual void writeBinary(std::string_view section, std::string_view key,
                             std::span<const std::uint8_t> value) = 0;
};

} // namespace halden
