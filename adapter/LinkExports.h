#pragma once

#include "adapter/wire/HidDeviceObject.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace halden {

// The nine names the programs bind in the link library, in their binding order.
struct LinkExports {
    using WriteFn = int (*)();
    using SendCommandFn = int (*)(int command, int flag);
    using ReadDataFn = int (*)(int command, std::uint8_t* destination, std::uint32_t address,
                               std::uint32_t length);
    using CheckDeviceFn = int (*)();
    using CheckFirmwareFn = int (*)(int* mismatch);
    using ConnectFn = int (*)(unsigned vid, unsigned pid, int mode);
    using DisconnectFn = int (*)();

    static constexpr std::array<std::string_view, 9> kNames = {
        "ICE_Write",          "ICE_Send_Command", "ICE_Read_Data",       "CheckDevice",
        "ICE_Check_Firmware", "ConnectHIDDevice", "DisconnectHIDDevice", "Ice",
        "HidDevice"};

    WriteFn ICE_Write = nullptr;
    SendCommandFn ICE_Send_Command = nullptr;
    ReadDataFn ICE_Read_Data = nullptr;
    CheckDeviceFn CheckDevice = nullptr;
    CheckFirmwareFn ICE_Check_Firmware = nullptr;
    ConnectFn ConnectHIDDevice = nullptr;
    DisconnectFn DisconnectHIDDevice = nullptr;
    std::uint8_t* Ice = nullptr;
    HidDeviceObject* HidDevice = nullptr;

    bool complete() const {
        return ICE_Write && ICE_Send_Command && ICE_Read_Data && CheckDevice &&
               ICE_Check_Firmware && ConnectHIDDevice && DisconnectHIDDevice && Ice && HidDevice;
    }
};

} // namespace halden
