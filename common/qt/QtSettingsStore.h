#pragma once

#include "common/SettingsStore.h"

#include <QSettings>

namespace halden {

// The per-user profile in QSettings: organisation and application name as given,
// one group per section.
class QtSettingsStore : public SettingsStore {
public:
    static constexpr const char* kOrganisation = "Local AppWizard-Generated Applications";

    explicit QtSettingsStore(const QString& application);

    int readInt(std::string_view section, std::string_view key, int fallback) override;
    void writeInt(std::string_view section, std::string_view key, int value) override;
    std::u16string readString(std::string_view section, std::string_view key,
                              std::u16string_view fallback) override;
    void writeString(std::string_view section, std::string_view key,
                     std::u16string_view value) override;
    std::optional<std::vector<std::uint8_t>> readBinary(std::string_view section,
                                                        std::string_view key) override;
    void writeBinary(std::string_view section, std::string_view key,
                     std::span<const std::uint8_t> value) override;

private:
    QSettings settings_;
};

} // namespace halden
