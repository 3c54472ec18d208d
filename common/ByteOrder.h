#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace halden {

// Fixed-endian reads and writes. Reads expect the caller to have checked that
// offset + width lies inside the bytes.
class ByteOrder {
public:
    static std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
        return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    }
    static std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
        return std::uint32_t{readLe16(bytes, offset)} |
               (std::uint32_t{readLe16(bytes, offset + 2)} << 16);
    }
    static std::uint64_t readLe64(std::span<const std::uint8_t> bytes, std::size_t offset) {
        return std::uint64_t{readLe32(bytes, offset)} |
               (std::uint64_t{readLe32(bytes, offset + 4)} << 32);
    }
    static std::uint16_t readBe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
        return static_cast<std::uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
    }
    static std::uint32_t readBe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
        return (std::uint32_t{readBe16(bytes, offset)} << 16) | readBe16(bytes, offset + 2);
    }

    static void appendLe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
        out.push_back(static_cast<std::uint8_t>(value));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    static void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
        appendLe16(out, static_cast<std::uint16_t>(value));
        appendLe16(out, static_cast<std::uint16_t>(value >> 16));
    }
    static void appendBe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
        out.push_back(static_cast<std::uint8_t>(value >> 8));
        out.push_back(static_cast<std::uint8_t>(value));
    }
    static void appendBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
        appendBe16(out, static_cast<std::uint16_t>(value >> 16));
        appendBe16(out, static_cast<std::uint16_t>(value));
    }
};

} // namespace halden
