#pragma once

#include <cstdint>

namespace halden {

// The programmer's own texts, beyond the system's: their IDs in the own text tables
// (UiText::kFirstOwnTable + languageIndex), the same IDs in every language. They follow
// the system's IDs, so a message's text ID tells it apart from every other. A "%1" to
// "%9" in an entry stands for an argument.
enum class OwnTextId : std::uint16_t {
    LanguageMenu = 3001,
    ReadTargetMenu = 3002,
    VerifyTargetMenu = 3003,
    BlankCheckMenu = 3004,
    ReadTargetCaption = 3005,
    LanguageAtNextStart = 3006,
    Bytes = 3007,
    IntegerRange = 3008, // %1 the highest value
    NoPrinterSavePdf = 3009,
    CannotWrite = 3010, // %1 the path, %2 why
    ReadTargetOk = 3011,
    ReadTargetFailed = 3012,
    VerifyOk = 3013,
    BlankCheckOk = 3014,
    VerifyFailedOneByte = 3015, // %1 address, %2 chip byte, %3 file byte, %4 count
    VerifyFailedBytes = 3016,   // the same, for more than one byte
    NotBlank = 3017,            // %1 address, %2 chip byte
    CannotOpenTraceLog = 3018,  // %1 the path, %2 why
    CannotWriteTraceLog = 3019, // %1 the path, %2 why
    // A firmware upgrade that stopped before the Restart, by where it stopped.
    FirmwareStoppedAtSwitch = 3020,
    FirmwareStoppedAtBootLoaderSearch = 3021,
    FirmwareStoppedAtDownload = 3022,
};

} // namespace halden
