#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace halden {

// A new, uniquely named empty file ("hvc" and six random characters, ".tmp") in the user's
// temporary folder, or in a fallback folder when the temporary folder cannot be
// determined. The file is removed when the object goes.
class TemporaryFile {
public:
    static constexpr const char* kPrefix = "hvc";

    // Nothing, and the system error code in `error`, when no file could be made.
    static std::optional<TemporaryFile> create(const std::string& fallbackFolder,
                                               std::uint32_t& error);

    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    const std::string& path() const { return path_; }

private:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    void remove();

    std::string path_;
};

} // namespace halden
