#pragma once

#include "common/SettingsStore.h"

#include <map>
#include <string>

namespace halden::test {

// The profile in memory, for window tests that must not touch the user's settings.
class MemorySettingsStore : public SettingsStore {
public:
    int readInt(std::string_view section, std::string_view key, int fallback) override {
        const auto it = ints.find(name(section, key));
        return it == ints.end() ? fallback : it->second;
    }
    void writeInt(std::string_view section, std::string_view key, int value) override {
        ints[name(section, key)] = value;
    }
    std::u16string readString(std::string_view section, std::string_view key,
                              std::u16string_view fallback) override {
        const auto it = strings.find(name(section, key));
        return it == strings.end() ? std::u16string(fallback) : it->second;
    }
    void writeString(std::string_view section, std::string_view key,
                     std::u16string_view value) override {
        strings[name(section, key)] = std::u16string(value);
    }
    std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section,
                                                        std::string_view key) override {
        const auto it = binaries.find(name(section, key));
        if (it == binaries.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    void writeBinary(std::string_view section, std::string_view key,
                     std::span<const std::uint8_t> value) override {
        binaries[name(section, key)] = {value.begin(), value.end()};
    }

    static std::string name(std::string_view section, std::string_view key) {
        return std::string(section) + "/" + std::string(key);
    }

    std::map<std::string, int> ints;
    std::map<std::string, std::u16string> strings;
    std::map<std::string, std::vector<std::uint8_t>> binaries;
};

} // namespace halden::test
