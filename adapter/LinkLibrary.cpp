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

LinkExports LinkLibrary::bindExports() const {
    LinkExports exports;
    exports.ICE_Write = reinterpret_cast<LinkExports::WriteFn>(symbol("ICE_Write"));
    exports.ICE_Send_Command =
        reinterpret_cast<LinkExports::SendCommandFn>(symbol("ICE_Send_Command"));
    exports.ICE_Read_Data = reinterpret_cast<LinkExports::ReadDataFn>(symbol("ICE_Read_Data"));
    exports.CheckDevice = reinterpret_cast<LinkExports::CheckDeviceFn>(symbol("CheckDevice"));
    exports.ICE_Check_Firmware =
        reinterpret_cast<LinkExports::CheckFirmwareFn>(symbol("ICE_Check_Firmware"));
    exports.ConnectHIDDevice = reinterpret_cast<LinkExports::ConnectFn>(symbol("ConnectHIDDevice"));
    exports.DisconnectHIDDevice =
        reinterpret_cast<LinkExports::DisconnectFn>(symbol("DisconnectHIDDevice"));
    exports.Ice = static_cast<std::uint8_t*>(symbol("Ice"));
    exports.HidDevice = static_cast<HidDeviceObject*>(symbol("HidDevice"));
    return exports;
}

} // namespace halden
