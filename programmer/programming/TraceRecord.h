#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace halden {

// One line of the trace log: which image went into which chip through which adapter,
// and how it ended. Every operation that touches a target fills what it knows; the rest
// is written as null, so every line carries every field.
struct TraceRecord {
    struct Image {
        std::vector<std::string> files;
        std::uint32_t size = 0;
        std::uint16_t checksum = 0; // the byte sum cut to 16 bits, as the panes show it
        std::uint32_t crc32 = 0;
    };
    // A value of the serial object (the off-line settings of a stored project), already
    // as JSON: use TraceRecord::text or TraceRecord::number.
    struct Field {
        std::string key;
        std::string json;
    };

    std::chrono::system_clock::time_point time = std::chrono::system_clock::now();
    std::string operation; // the subcommand: "program", "read", "verify", ...
    std::string part;      // the part's name; empty: none
    std::optional<std::uint32_t> chipId;
    std::optional<Image> image;
    std::optional<std::vector<std::uint8_t>> optionBytes;
    std::string adapterPath;     // empty: not known
    std::string adapterFirmware; // "1.5"; empty: not known
    std::optional<std::vector<Field>> serial;
    bool ok = false;
    std::string message; // the system's text, or what failed
    // A failed operation's step and the command that failed, the text of halden's last
    // line; empty (null in the line) for one that succeeded.
    std::string detail;
    std::chrono::milliseconds duration{};
    std::string host;

    // The image's fields for these bytes.
    static Image imageOf(std::vector<std::string> files, std::span<const std::uint8_t> bytes);
    static std::uint32_t crc32(std::span<const std::uint8_t> bytes);
    static std::string text(const std::string& value);
    static std::string number(std::int64_t value);
    // "2026-12-10T09:12:00.123Z"
    static std::string isoTime(std::chrono::system_clock::time_point time);

    // The record as one JSON object and a line feed.
    std::string jsonLine() const;
};

} // namespace halden
