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
//   adapters=N             N adapters on the bus (1 to 16), numbered 1 to N, each with
//                          its own path and its state in DIR/adapter-K
struct EmulatorSettings {
    enum class Mode { Normal, NeedsFirmware, Recovery, BootLoader };
    enum class Latency { None, UsbFullSpeed };

    struct Fault {
        enum class Kind {
            Drop,      // drop[:CMD]: no reply to CMD (to every command without CMD)
            WrongTag,  // tag:CMD: the reply to CMD carries another tag
            Status,    // status:CMD:STATUS: CMD is answered with STATUS
            Refuse,    // refuse:N[:K]: feature reports after the first N are refused (with K:
                       // each refused K times in a row, then taken)
            Unplug,    // unplug:N: the adapter leaves the bus after N reports from the host
            BootSwap,  // bootswap: the boot loader reports its checksum bytes swapped
            Stuck,     // stuck:OFFSET: the flash cell at OFFSET keeps its value when programmed
            Restart,   // restart:refuse: the boot loader refuses its Restart report but restarts
                       // all the same; restart:stay: it takes the report and stays
            Corrupt,   // corrupt:OFFSET: the stored code byte at OFFSET is kept inverted
            CloseFail, // closefail: closing the adapter reports a failure
            BadReport, // badreport[:CMD]: the reply to CMD (to every command without CMD)
                       // comes as input report 1, not 0, so the host's read fails with 13
        };
        Kind kind = Kind::Drop;
        std::optional<std::uint8_t> command; // Drop, WrongTag, Status, BadReport
        std::uint32_t value = 0; // Status: the status; Refuse, Unplug: N; Stuck, Corrupt: the
                                 // offset; Restart: kRestartRefused or kRestartStays
        std::optional<std::uint32_t> times; // Refuse: K
        static constexpr std::uint32_t kRestartRefused = 0;
        static constexpr std::uint32_t kRestartStays = 1;

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
    // How many adapters adapters=N put on the bus; 0 when it is not given: one adapter,
    // with its state in DIR itself.
    unsigned adapters = 0;
    // Which of them this is (1 to N); 0 for the one adapter without adapters=N.
    unsigned adapterNumber = 0;

    static constexpr unsigned kMaxAdapters = 16;

    // The settings of adapter K of adapters=N: its own state folder.
    EmulatorSettings forAdapter(unsigned number) const;

    // Nothing for text that is not a valid settings list; error then names the setting.
    static std::optional<EmulatorSettings> parse(std::string_view text, std::string* error);
};

} // namespace halden
