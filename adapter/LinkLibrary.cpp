#include "adapter/LinkLibrary.h"

#include "common/SystemError.h"

#include <dlfcn.h>
#include <filesystem>

namespace halden {

LinkLibrary::~LinkLibrary() {
    unload();
}

std::uint32_t LinkLibrary::load(const std::string& path) {
    unload();
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        error_ = path + ": no such file";
        return SystemError::kModuleNotFound;
    }
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* text = dlerror();
        error_ = text ? text : "cannot load " + path;
        return SystemError::kBadFormat;
    }
    path_ = path;
    error_.clear();
    return 0;
}

void LinkLibrary::unload() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    path_.clear();
}

void* LinkLibrary::symbol(std::string_view name) const {
    return handle_ ? dlsym(handle_, std::string(name).c_str()) : nullptr;
}

std::vector<std::string_view> LinkLibrary::missingExports() const {
    std::vector<std::string_view> missing;
    for (const auto name : LinkExports::kNames) {
        if (symbol(name) == nullptr) {
            missing.push_back(name);
        }
    }
    return missing;
}

LinkExports LinkLibrary::bindExports(std::span<const std::string_view> names) const {
    LinkExports exports;
    for (const std::string_view name : names) {
        void* const found = symbol(name);
        if (name == "ICE_Write") {
            exports.ICE_Write = reinterpret_cast<LinkExports::WriteFn>(found);
        } else if (name == "ICE_Send_Command") {
            exports.ICE_Send_Command = reinterpret_cast<LinkExports::SendCommandFn>(found);
        } else if (name == "ICE_Read_Data") {
            exports.ICE_Read_Data = reinterpret_cast<LinkExports::ReadDataFn>(found);
        } else if (name == "CheckDevice") {
            exports.CheckDevice = reinterpret_cast<LinkExports::CheckDeviceFn>(found);
        } else if (name == "ICE_Check_Firmware") {
            exports.ICE_Check_Firmware = reinterpret_cast<LinkExports::CheckFirmwareFn>(found);
        } else if (name == "ConnectHIDDevice") {
            exports.ConnectHIDDevice = reinterpret_cast<LinkExports::ConnectFn>(found);
        } else if (name == "DisconnectHIDDevice") {
            exports.DisconnectHIDDevice = reinterpret_cast<LinkExports::DisconnectFn>(found);
        } else if (name == "Ice") {
            exports.Ice = static_cast<std::uint8_t*>(found);
        } else if (name == "HidDevice") {
            exports.HidDevice = static_cast<HidDeviceObject*>(found);
        }
    }
    return exports;
}

} // namespace halden
