#pragma once

#include "adapter/wire/HidDeviceObject.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace halden {

// The names the programs bind in the link library, in their binding order: the programmer
// and halden bind all nine, the pack setup tool the seven it uses. An entry not bound
// stays null and is never called.
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
    // The pack setup tool sends no command that has a reply and reads nothing back.
    static constexpr std::array<std::string_view, 7> kSetupNames = {
        "ICE_Write",           "CheckDevice", "ICE_Check_Firmware", "ConnectHIDDevice",
        "DisconnectHIDDevice", "Ice",         "HidDevice"};

    WriteFn ICE_Write = nullptr;
    SendCommandFn ICE_Send_Command = nullptr;
    ReadDataFn ICE_Read_Data = nullptr;
    CheckDeviceFn CheckDevice = nullptr;
    CheckFirmwareFn ICE_Check_Firmware = nullptr;
    ConnectFn ConnectHIDDevice = nullptr;
    DisconnectFn DisconnectHIDDevice = nullptr;
    std::uint8_t* Ice = nullptr;
    HidDeviceObject* HidDevice = nullptr;

    // Whether the entry of that name is bound; false for a name not among the nine.
    bool has(std::string_view name) const;
    // Whether every one of names is bound.
    bool complete(std::span<const std::string_view> names = kNames) const;
    // What every use of the link needs: the adapter opened and closed, the command block
    // and the open device. Each further entry is checked where it is called.
    bool opens() const { return ConnectHIDDevice && DisconnectHIDDevice && Ice && HidDevice; }
};

} // namespace halden
