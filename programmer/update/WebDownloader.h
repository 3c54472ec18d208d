#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace halden {

// Copies what an address serves into a file, within a time limit.
class WebDownloader {
public:
    // The system's error codes for what can go wrong.
    static constexpr std::uint32_t kTooLarge = 223;        // ERROR_FILE_TOO_LARGE
    static constexpr std::uint32_t kNoData = 232;          // ERROR_NO_DATA
    static constexpr std::uint32_t kWriteFault = 29;       // ERROR_WRITE_FAULT
    static constexpr std::uint32_t kOpenFailed = 110;      // ERROR_OPEN_FAILED
    static constexpr std::uint32_t kTimeout = 12002;       // ERROR_INTERNET_TIMEOUT
    static constexpr std::uint32_t kInternalError = 12004; // ERROR_INTERNET_INTERNAL_ERROR
    static constexpr std::uint32_t kUnrecognisedScheme =
        12006;                                                 // ERROR_INTERNET_UNRECOGNIZED_SCHEME
    static constexpr std::uint32_t kNameNotResolved = 12007;   // ERROR_INTERNET_NAME_NOT_RESOLVED
    static constexpr std::uint32_t kCannotConnect = 12029;     // ERROR_INTERNET_CANNOT_CONNECT
    static constexpr std::uint32_t kConnectionAborted = 12030; // ERROR_INTERNET_CONNECTION_ABORTED
    static constexpr std::uint32_t kBadServerResponse = 12152; // ERROR_HTTP_INVALID_SERVER_RESPONSE
    static constexpr std::uint32_t kSecureChannel = 12157; // ERROR_INTERNET_SECURE_CHANNEL_ERROR

    struct Result {
        std::uint32_t code = 0; // 0, or one of the codes above
        std::string failure;    // what went wrong, in words; empty on success
    };

    virtual ~WebDownloader() = default;

    // Replaces the file's content with what `url` serves. Gives up with kTimeout when the
    // whole download takes longer than `limit`.
    virtual Result download(const std::string& url, const std::string& filePath,
                            std::chrono::milliseconds limit) = 0;
};

} // namespace halden
