#include "programmer/update/TemporaryFile.h"

#include "common/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace halden {

namespace {

std::uint32_t errorCodeOf(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return SystemError::kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return SystemError::kAccessDenied;
    default:
        return 82; // ERROR_CANNOT_MAKE
    }
}

} // namespace

std::optional<TemporaryFile> TemporaryFile::create(const std::string& fallbackFolder,
                                                   std::uint32_t& error) {
    std::error_code noFolder;
    std::filesystem::path folder = std::filesystem::temp_directory_path(noFolder);
    if (noFolder) {
        folder = fallbackFolder;
    }
    if (folder.empty()) {
        error = SystemError::kPathNotFound;
        return std::nullopt;
    }
    std::string pattern = (folder / (std::string(kPrefix) + "XXXXXX.tmp")).string();
    const int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) {
        error = errorCodeOf(errno);
        return std::nullopt;
    }
    ::close(fd);
    error = 0;
    return TemporaryFile(std::move(pattern));
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

TemporaryFile::~TemporaryFile() {
    remove();
}

void TemporaryFile::remove() {
    if (!path_.empty()) {
        std::remove(path_.c_str());
        path_.clear();
    }
}

} // namespace halden
