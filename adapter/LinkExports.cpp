#include "adapter/LinkExports.h"

#include <algorithm>

namespace halden {

bool LinkExports::has(std::string_view name) const {
    const std::pair<std::string_view, bool> entries[] = {
        {"ICE_Write", ICE_Write != nullptr},
        {"ICE_Send_Command", ICE_Send_Command != nullptr},
        {"ICE_Read_Data", ICE_Read_Data != nullptr},
        {"CheckDevice", CheckDevice != nullptr},
        {"ICE_Check_Firmware", ICE_Check_Firmware != nullptr},
        {"ConnectHIDDevice", ConnectHIDDevice != nullptr},
        {"DisconnectHIDDevice", DisconnectHIDDevice != nullptr},
        {"Ice", Ice != nullptr},
        {"HidDevice", HidDevice != nullptr},
    };
    const auto* entry = std::find_if(std::begin(entries), std::end(entries),
                                     [name](const auto& e) { return e.first == name; });
    return entry != std::end(entries) && entry->second;
}

bool LinkExports::complete(std::span<const std::string_view> names) const {
    return std::all_of(names.begin(), names.end(),
                       [this](std::string_view name) { return has(name); });
}

} // namespace halden
