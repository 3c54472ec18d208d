#include "programmer/programming/TraceRecord.h"

#include "programmer/buffer/CodeChecksum.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace halden {

namespace {

std::string hexNumber(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

std::string textOrNull(const std::string& value) {
    return value.empty() ? "null" : TraceRecord::text(value);
}

} // namespace

std::uint32_t TraceRecord::crc32(std::span<const std::uint8_t> bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            entries[i] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t b : bytes) {
        crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

TraceRecord::Image TraceRecord::imageOf(std::vector<std::string> files,
                                        std::span<const std::uint8_t> bytes) {
    return {std::move(files), static_cast<std::uint32_t>(bytes.size()),
            CodeChecksum::compute(bytes), crc32(bytes)};
}

std::string TraceRecord::text(const std::string& value) {
    std::string json = "\"";
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\t') {
            json += "\\t";
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + '"';
}

std::string TraceRecord::number(std::int64_t value) {
    return std::to_string(value);
}

std::string TraceRecord::isoTime(std::chrono::system_clock::time_point time) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(milliseconds % 1000));
    return text;
}

std::string TraceRecord::jsonLine() const {
    std::string line = "{\"time\":" + text(isoTime(time)) + ",\"operation\":" + text(operation) +
                       ",\"part\":" + textOrNull(part) +
                       ",\"chipId\":" + (chipId ? text(hexNumber(*chipId, 8)) : "null") +
                       ",\"image\":";
    if (image) {
        line += "{\"files\":[";
        for (std::size_t i = 0; i < image->files.size(); ++i) {
            line += (i ? "," : "") + text(image->files[i]);
        }
        line += "],\"size\":" + number(image->size) +
                ",\"checksum\":" + text(hexNumber(image->checksum, 4)) +
                ",\"crc32\":" + text(hexNumber(image->crc32, 8)) + "}";
    } else {
        line += "null";
    }
    line += ",\"optionBytes\":" + (optionBytes ? text(hexBytes(*optionBytes)) : "null");
    line += ",\"adapter\":{\"path\":" + textOrNull(adapterPath) +
            ",\"firmware\":" + textOrNull(adapterFirmware) + "},\"serial\":";
    if (serial) {
        line += "{";
        for (std::size_t i = 0; i < serial->size(); ++i) {
            line += (i ? "," : "") + text((*serial)[i].key) + ":" + (*serial)[i].json;
        }
        line += "}";
    } else {
        line += "null";
    }
    line += ",\"result\":" + text(ok ? "ok" : "failed") + ",\"message\":" + text(message) +
            ",\"detail\":" + textOrNull(detail) + ",\"durationMs\":" + number(duration.count()) +
            ",\"host\":" + textOrNull(host) + "}\n";
    return line;
}

} // namespace halden
