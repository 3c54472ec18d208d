#include "tavro/emulator/EmulatorSettings.h"

#include <charconv>
#include <map>

namespace halden {

namespace {

using Settings = EmulatorSettings;
using Fault = EmulatorSettings::Fault;

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// Decimal, or hexadecimal after "0x".
std::optional<std::uint32_t> parseNumber(std::string_view text, std::uint32_t maximum) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value > maximum) {
        return std::nullopt;
    }
    return value;
}

std::optional<Fault> parseFault(std::string_view text) {
    const auto parts = split(text, ':');
    static const std::map<std::string_view, Fault::Kind> kinds = {
        {"drop", Fault::Kind::Drop},           {"tag", Fault::Kind::WrongTag},
        {"status", Fault::Kind::Status},       {"refuse", Fault::Kind::Refuse},
        {"unplug", Fault::Kind::Unplug},       {"bootswap", Fault::Kind::BootSwap},
        {"stuck", Fault::Kind::Stuck},         {"restart", Fault::Kind::Restart},
        {"corrupt", Fault::Kind::Corrupt},     {"closefail", Fault::Kind::CloseFail},
        {"badreport", Fault::Kind::BadReport},
    };
    const auto kind = kinds.find(parts[0]);
    if (kind == kinds.end()) {
        return std::nullopt;
    }
    Fault fault{kind->second, std::nullopt, 0, std::nullopt};
    const auto command = [&](std::size_t i) -> bool {
        const auto code = i < parts.size() ? parseNumber(parts[i], 0xFF) : std::nullopt;
        fault.command =
            code ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*code)) : std::nullopt;
        return code.has_value();
    };
    const auto value = [&](std::size_t i, std::uint32_t maximum) -> bool {
        const auto number = i < parts.size() ? parseNumber(parts[i], maximum) : std::nullopt;
        fault.value = number.value_or(0);
        return number.has_value();
    };
    switch (fault.kind) {
    case Fault::Kind::Drop:
    case Fault::Kind::BadReport:
        return parts.size() == 1 || (parts.size() == 2 && command(1)) ? std::optional(fault)
                                                                      : std::nullopt;
    case Fault::Kind::WrongTag:
        return parts.size() == 2 && command(1) ? std::optional(fault) : std::nullopt;
    case Fault::Kind::Status:
        return parts.size() == 3 && command(1) && value(2, 0xFFFF) ? std::optional(fault)
                                                                   : std::nullopt;
    case Fault::Kind::Refuse:
        if (parts.size() == 3 && value(1, 0xFFFFFFFF)) {
            fault.times = parseNumber(parts[2], 0xFFFFFFFF);
            return fault.times ? std::optional(fault) : std::nullopt;
        }
        return parts.size() == 2 && value(1, 0xFFFFFFFF) ? std::optional(fault) : std::nullopt;
    case Fault::Kind::Restart:
        if (parts.size() != 2 || (parts[1] != "refuse" && parts[1] != "stay")) {
            return std::nullopt;
        }
        fault.value = parts[1] == "refuse" ? Fault::kRestartRefused : Fault::kRestartStays;
        return fault;
    case Fault::Kind::Unplug:
    case Fault::Kind::Stuck:
    case Fault::Kind::Corrupt:
        return parts.size() == 2 && value(1, 0xFFFFFFFF) ? std::optional(fault) : std::nullopt;
    case Fault::Kind::BootSwap:
    case Fault::Kind::CloseFail:
        return parts.size() == 1 ? std::optional(fault) : std::nullopt;
    }
    return std::nullopt;
}

bool apply(Settings& settings, std::string_view key, std::string_view value) {
    if (key == "target") {
        settings.target = value == "none" ? std::nullopt : std::optional<std::string>(value);
        return !value.empty();
    }
    if (key == "voltage") {
        const auto mv = parseNumber(value, 0xFFFF);
        settings.millivolts = static_cast<std::uint16_t>(mv.value_or(0));
        return mv.has_value();
    }
    if (key == "firmware") {
        settings.currentFirmware = value == "current";
        return value == "current" || value == "old";
    }
    if (key == "mode") {
        static const std::map<std::string_view, Settings::Mode> modes = {
            {"normal", Settings::Mode::Normal},
            {"0331", Settings::Mode::NeedsFirmware},
            {"0FFF", Settings::Mode::Recovery},
            {"0fff", Settings::Mode::Recovery},
            {"boot", Settings::Mode::BootLoader}};
        const auto mode = modes.find(value);
        settings.mode = mode == modes.end() ? Settings::Mode::Normal : mode->second;
        return mode != modes.end();
    }
    if (key == "offline") {
        settings.offline = value == "1";
        return value == "0" || value == "1";
    }
    if (key == "latency") {
        settings.latency =
            value == "usb-fs" ? Settings::Latency::UsbFullSpeed : Settings::Latency::None;
        return value == "0" || value == "usb-fs";
    }
    if (key == "state") {
        settings.stateDir = std::string(value);
        return !value.empty();
    }
    if (key == "adapters") {
        const auto count = parseNumber(value, Settings::kMaxAdapters);
        settings.adapters = count.value_or(0);
        return count.value_or(0) >= 1;
    }
    if (key == "fault") {
        const auto fault = parseFault(value);
        if (fault) {
            settings.faults.push_back(*fault);
        }
        return fault.has_value();
    }
    return false;
}

} // namespace

EmulatorSettings EmulatorSettings::forAdapter(unsigned number) const {
    EmulatorSettings one = *this;
    one.adapterNumber = number;
    if (number != 0 && !stateDir.empty()) {
        one.stateDir = stateDir + "/adapter-" + std::to_string(number);
    }
    return one;
}

std::optional<EmulatorSettings> EmulatorSettings::parse(std::string_view text, std::string* error) {
    EmulatorSettings settings;
    if (text.empty() || text == "1") {
        return settings;
    }
    for (const auto item : split(text, ',')) {
        const auto equals = item.find('=');
        const bool ok = equals != std::string_view::npos &&
                        apply(settings, item.substr(0, equals), item.substr(equals + 1));
        if (!ok) {
            if (error) {
                *error = "TAVRO_EMULATOR: bad setting \"" + std::string(item) + "\"";
            }
            return std::nullopt;
        }
    }
    return settings;
}

} // namespace halden
