#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// The emulated adapter's set-up: the TAVRO_EMULATOR environment variable's text, a
// comma-separated list of settings ("" or "1" for all defaults), e.g.
// "target=RQD-1,voltage=3300,state=/tmp/emu,fault=drop:0x19".
//
//   target=NAME | none     the part whose chip ID the target reports; none: no target
//   voltage=MV             target supply in millivolts (0 to 65535)
//   firmware=current | old whether the adapter runs the link library's firmware
//   mode=normal | 0331 | 0FFF | boot   the product ID the adapter shows up with
//   offline=1 | 0          off-line capability
//   latency=0 | usb-fs     no timing, or full-speed USB frame timing per report
//   state=DIR              persist adapter and target in DIR, loaded at start
//   fault=KIND[:ARG]       repeatable; the kinds are those of Fault::Kind
struct EmulatorSettings {
    enum class Mode { Normal, NeedsFirmware, Recovery, BootLoader };
    enum class Latency { None, UsbFullSpeed };

    struct Fault {
        enum class Kind {
            Drop,      // drop[:CMD]: no reply to CMD (to every command without CMD)
            WrongTag,  // tag:CMD: the reply to CMD carries another tag
            Status,    // status:CMD:STATUS: CMD is answered with STATUS
            Refuse,    // refuse:N: feature reports after the first N are refused
            Unplug,    // unplug:N: the adapter leaves the bus after N reports from the host
            BootSwap,  // bootswap: the boot loader reports its checksum bytes swapped
            Stuck,     // stuck:OFFSET: the flash cell at OFFSET keeps its value when programmed
            Corrupt,   // corrupt:OFFSET: the stored code byte at OFFSET is kept inverted
            CloseFail, // closefail: closing the adapter reports a failure
        };
        Kind kind = Kind::Drop;
        std::optional<std::uint8_t> command; // Drop, WrongTag, Status
        std::uint32_t value =
            0; // Status: the status; Refuse, Unplug: N; Stuck, Corrupt: the offset

        bool appliesTo(std::uint8_t code) const { return !command || *command == code; }
    };

    std::optional<std::string> target = std::string("RQD-1"); // nothing: no target
    std::uint16_t millivolts = 3300;
    bool currentFirmware = true;
    Mode mode = Mode::Normal;
    bool offline = true;
    Latency latency = Latency::None;
    std::string stateDir;
    std::vector<Fault> faults;

    // Nothing for text that is not a valid settings list; error then names the setting.
    static std::optional<EmulatorSettings> parse(std::string_view text, std::string* error);
};

} // namespace halden
