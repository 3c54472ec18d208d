// TAVRO_EMULATOR text from the environment. Settings that are taken read back the same
// from their canonical text; the last target=, state= and voltage= win and are taken as
// written, with one fault per fault= setting, each carrying just the fields its kind has;
// a refusal quotes one of the text's comma-separated settings; an error sink changes
// nothing; and no block outgrows the text.
#include "fuzz/FuzzSupport.h"
#include "tavro/emulator/EmulatorSettings.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

namespace {

using halden::EmulatorSettings;
using Fault = EmulatorSettings::Fault;
using Kind = Fault::Kind;

constexpr std::string_view kRefusal = "TAVRO_EMULATOR: bad setting \"";

// The parts the text splits into, a few strings and the faults, each at most linear.
std::size_t blockBound(std::size_t textSize) {
    return 32 * (textSize + 2) + kRefusal.size() + 64;
}

std::string canonical(const EmulatorSettings& s) {
    static const char* const kModes[] = {"normal", "0331", "0FFF", "boot"};
    static const char* const kKinds[] = {"drop",    "tag",       "status",   "refuse",
                                         "unplug",  "bootswap",  "stuck",    "restart",
                                         "corrupt", "closefail", "badreport"};
    std::string text = "target=" + s.target.value_or("none");
    text += ",voltage=" + std::to_string(s.millivolts);
    text += s.currentFirmware ? ",firmware=current" : ",firmware=old";
    text += std::string(",mode=") + kModes[static_cast<int>(s.mode)];
    text += s.offline ? ",offline=1" : ",offline=0";
    text += s.latency == EmulatorSettings::Latency::UsbFullSpeed ? ",latency=usb-fs" : ",latency=0";
    if (!s.stateDir.empty()) {
        text += ",state=" + s.stateDir;
    }
    for (const auto& fault : s.faults) {
        text += std::string(",fault=") + kKinds[static_cast<int>(fault.kind)];
        if (fault.command) {
            text += ":" + std::to_string(*fault.command);
        }
        if (fault.kind == Kind::Status || fault.kind == Kind::Refuse ||
            fault.kind == Kind::Unplug || fault.kind == Kind::Stuck ||
            fault.kind == Kind::Corrupt) {
            text += ":" + std::to_string(fault.value);
        }
        if (fault.times) {
            text += ":" + std::to_string(*fault.times);
        }
        if (fault.kind == Kind::Restart) {
            text += fault.value == Fault::kRestartStays ? ":stay" : ":refuse";
        }
    }
    return text;
}

bool sameFault(const Fault& a, const Fault& b) {
    return a.kind == b.kind && a.command == b.command && a.value == b.value && a.times == b.times;
}

bool same(const EmulatorSettings& a, const EmulatorSettings& b) {
    return a.target == b.target && a.millivolts == b.millivolts &&
           a.currentFirmware == b.currentFirmware && a.mode == b.mode && a.offline == b.offline &&
           a.latency == b.latency && a.stateDir == b.stateDir &&
           std::equal(a.faults.begin(), a.faults.end(), b.faults.begin(), b.faults.end(),
                      sameFault);
}

// Only the fields a fault kind has are set, within their ranges.
bool wellFormed(const Fault& f) {
    switch (f.kind) {
    case Kind::Drop:
    case Kind::BadReport:
        return f.value == 0 && !f.times;
    case Kind::WrongTag:
        return f.command && f.value == 0 && !f.times;
    case Kind::Status:
        return f.command && f.value <= 0xFFFF && !f.times;
    case Kind::Refuse:
        return !f.command;
    case Kind::Unplug:
    case Kind::Stuck:
    case Kind::Corrupt:
        return !f.command && !f.times;
    case Kind::Restart:
        return !f.command && !f.times &&
               (f.value == Fault::kRestartRefused || f.value == Fault::kRestartStays);
    case Kind::BootSwap:
    case Kind::CloseFail:
        return !f.command && f.value == 0 && !f.times;
    }
    return false;
}

std::vector<std::string_view> items(std::string_view text) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const auto comma = text.find(',', start);
        out.push_back(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos) {
            return out;
        }
        start = comma + 1;
    }
}

// The value of the last "key=value" item.
std::optional<std::string_view> lastValue(std::string_view text, std::string_view key) {
    std::optional<std::string_view> value;
    for (const auto item : items(text)) {
        if (item.size() > key.size() && item.starts_with(key) && item[key.size()] == '=') {
            value = item.substr(key.size() + 1);
        }
    }
    return value;
}

// A decimal or 0x-prefixed hexadecimal number, read wide enough that nothing is cut off.
std::optional<std::uint64_t> number(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    text.remove_prefix(hex ? 2 : 0);
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, hex ? 16 : 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::size_t settingsNamed(std::string_view text, std::string_view key) {
    std::size_t count = 0;
    for (const auto item : items(text)) {
        count += item.size() > key.size() && item.starts_with(key) && item[key.size()] == '=';
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::optional<EmulatorSettings> settings;
    {
        const halden::fuzz::AllocationWatch watch;
        settings = EmulatorSettings::parse(text, &error);
        FUZZ_CHECK(watch.largest() <= blockBound(size));
    }
    const auto silent = EmulatorSettings::parse(text, nullptr);
    FUZZ_CHECK(silent.has_value() == settings.has_value());

    if (!settings) {
        // The refusal quotes one whole setting of the text.
        FUZZ_CHECK(error.size() > kRefusal.size() && error.starts_with(kRefusal) &&
                   error.back() == '"');
        const std::string_view item =
            std::string_view(error).substr(kRefusal.size(), error.size() - kRefusal.size() - 1);
        const auto all = items(text);
        FUZZ_CHECK(std::find(all.begin(), all.end(), item) != all.end());
        return 0;
    }
    FUZZ_CHECK(same(*silent, *settings));
    // The last of each setting wins; free text is taken as it stands; one fault per
    // fault setting.
    const auto target = lastValue(text, "target");
    FUZZ_CHECK(settings->target == (!target             ? EmulatorSettings().target
                                    : *target == "none" ? std::nullopt
                                                        : std::optional<std::string>(*target)));
    FUZZ_CHECK(settings->stateDir == lastValue(text, "state").value_or(""));
    if (const auto voltage = lastValue(text, "voltage")) {
        FUZZ_CHECK(number(*voltage) == settings->millivolts);
    }
    FUZZ_CHECK(settings->faults.size() == settingsNamed(text, "fault"));
    for (const auto& fault : settings->faults) {
        FUZZ_CHECK(wellFormed(fault));
    }

    const std::string again = canonical(*settings);
    const auto reread = EmulatorSettings::parse(again, &error);
    FUZZ_CHECK(reread && same(*reread, *settings));
    return 0;
}
