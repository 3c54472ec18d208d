#pragma once

#include <cstdint>
#include <string>

namespace halden {

// The system's error numbers that start-up and file handling report, with the
// texts the user knows them by.
class SystemError {
public:
    static constexpr std::uint32_t kFileNotFound = 2;
    static constexpr std::uint32_t kPathNotFound = 3;
    static constexpr std::uint32_t kAccessDenied = 5;
    static constexpr std::uint32_t kNotEnoughMemory = 8;
    static constexpr std::uint32_t kBadFormat = 11;
    static constexpr std::uint32_t kInvalidData = 13;
    static constexpr std::uint32_t kModuleNotFound = 126;
    static constexpr std::uint32_t kProcedureNotFound = 127;
    static constexpr std::uint32_t kAlreadyExists = 183;
    static constexpr std::uint32_t kFileTooLarge = 223;
    static constexpr std::uint32_t kDirectory = 267;
    static constexpr std::uint32_t kNotFound = 1168;
    static constexpr std::uint32_t kResourceTypeNotFound = 1813;

    // The message text of a code; empty for a code the system has no text for.
    static std::string text(std::uint32_t code);
    // "Error Code = 0x%08X".
    static std::string caption(std::uint32_t code);
};

} // namespace halden
