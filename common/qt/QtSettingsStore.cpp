#include "common/qt/QtSettingsStore.h"

namespace halden {

namespace {

QString keyOf(std::string_view section, std::string_view key) {
    return QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size())) + '/' +
           QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

} // namespace

QtSettingsStore::QtSettingsStore(const QString& application)
    : settings_(QSettings::UserScope, kOrganisation, application) {}

int QtSettingsStore::readInt(std::string_view section, std::string_view key, int fallback) {
    bool ok = false;
    const int value = settings_.value(keyOf(section, key)).toInt(&ok);
    return ok ? value : fallback;
}

void QtSettingsStore::writeInt(std::string_view section, std::string_view key, int value) {
    settings_.setValue(keyOf(section, key), value);
    settings_.sync();
}

std::u16string QtSettingsStore::readString(std::string_view section, std::string_view key,
                                           std::u16string_view fallback) {
    const QVariant value = settings_.value(keyOf(section, key));
    if (!value.isValid()) {
        return std::u16string(fallback);
    }
    return value.toString().toStdU16String();
}

void QtSettingsStore::writeString(std::string_view section, std::string_view key,
                                  std::u16string_view value) {
    settings_.setValue(keyOf(section, key),
                       QString::fromUtf16(value.data(), static_cast<qsizetype>(value.size())));
    settings_.sync();
}

std::optional<std::vector<std::uint8_t>> QtSettingsStore::readBinary(std::string_view section,
                                                                     std::string_view key) {
    const QVariant value = settings_.value(keyOf(section, key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    const QByteArray bytes = value.toByteArray();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void QtSettingsStore::writeBinary(std::string_view section, std::string_view key,
                                  std::span<const std::uint8_t> value) {
    settings_.setValue(keyOf(section, key), QByteArray(reinterpret_cast<const char*>(value.data()),
                                                       static_cast<qsizetype>(value.size())));
    settings_.sync();
}

} // namespace halden
