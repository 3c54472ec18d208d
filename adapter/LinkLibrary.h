#pragma once

#include "adapter/LinkExports.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halden {

// The loaded link library: loaded by file name, its nine exports bound by name.
class LinkLibrary {
public:
    static constexpr const char* kFileName = "M3_Tavro.so";

    LinkLibrary() = default;
    ~LinkLibrary();
    LinkLibrary(const LinkLibrary&) = delete;
    LinkLibrary& operator=(const LinkLibrary&) = delete;

    // 0 on success, otherwise a system error code (126 when the file cannot be found,
    // 11 when it is not a library this process can load). `error()` holds the loader's text.
    std::uint32_t load(const std::string& path);
    void unload();
    bool loaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

    // The names of the nine that the library does not export, in binding order.
    std::vector<std::string_view> missingExports() const;
    // Looks the names up in their binding order; a missing name, or one not asked for,
    // leaves its entry null.
    LinkExports bindExports(std::span<const std::string_view> names = LinkExports::kNames) const;
    // Any other export by name (the stand-in's emulator control); null when absent.
    void* symbol(std::string_view name) const;

private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};

} // namespace halden
