#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace halden {

// The in-memory mirror of one project file's trailer.
struct ProjectRecord {
    static constexpr std::string_view kMagic = "corvane. QPF 3.0";
    static constexpr std::size_t kOptionAreaSize = 176;
    static constexpr std::size_t kNameSize = 260;
    static constexpr std::uint16_t kVersion = 0x0302;
    static constexpr std::uint8_t kType = 0x17;
    // Option area offsets of the fields kept inside it.
    static constexpr std::size_t kReservedBlockOffset = 128;
    static constexpr std::size_t kReservedBlockSize = 32;
    static constexpr std::size_t kRandomKeyOffset = 160;
    static constexpr std::size_t kReservedByteOffset = 164;

    // The off-line settings of Update Programmer; kept here, never written to the file.
    struct OfflineSettings {
        std::uint8_t serialFlags = 0;
        std::uint32_t startAddress = 0;
        std::uint32_t serialNumber = 0;
        std::uint32_t maxCounter = 0;
        std::array<char, 12> serialString{};
        std::uint32_t word = 0;
    };

    std::array<std::uint8_t, 16> magic{};
    std::uint8_t codeFileNameLength = 0;
    std::string codeFileName;
    std::uint32_t codeSize = 0;
    std::uint16_t codeChecksum = 0;
    std::uint32_t reserved1 = 0;
    std::uint16_t reserved2 = 0;
    std::uint16_t partIndex = 0;
    std::uint8_t reserved3 = 0;
    std::uint8_t optionAreaLength = 0;
    std::array<std::uint8_t, kOptionAreaSize> optionArea{};
    std::uint8_t reservedAfterOptions1 = 0;
    std::uint8_t reservedAfterOptions2 = 0;
    std::uint16_t reservedWord1 = 0;
    std::uint16_t reservedWord2 = 0;
    std::uint8_t ispFileNameLength = 0;
    std::string ispFileName;
    OfflineSettings offline;
    std::uint16_t atpgKey = 0;
    std::array<std::uint8_t, kReservedBlockSize> reservedBlock{};
    std::uint8_t reservedByte = 0;
    std::uint32_t randomKey = 0;
    std::array<std::uint8_t, 6> saveTime{};
    std::uint16_t version = 0;
    std::uint16_t reservedBeforeType = 0;
    std::uint8_t type = 0;
    std::uint16_t trailerChecksum = 0;
    std::uint16_t trailerLength = 0;

    // The values of a new project.
    void ResetProjectRecord();
};

} // namespace halden
