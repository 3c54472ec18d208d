// A link library without CheckDevice: start-up must refuse it.
#include "adapter/wire/HidDeviceObject.h"
#include "adapter/wire/IceLayout.h"

#include <cstdint>

extern "C" {
[[gnu::visibility("default")]] std::uint8_t Ice[halden::IceLayout::kSize] = {};
[[gnu::visibility("default")]] HidDeviceObject HidDevice = {nullptr, 0, 0, 0};
[[gnu::visibility("default")]] int ConnectHIDDevice(unsigned, unsigned, int) {
    return 1;
}
[[gnu::visibility("default")]] int DisconnectHIDDevice() {
    return 0;
}
[[gnu::visibility("default")]] int ICE_Write() {
    return 1;
}
[[gnu::visibility("default")]] int ICE_Send_Command(int, int) {
    return 1;
}
[[gnu::visibility("default")]] int ICE_Read_Data(int, std::uint8_t*, std::uint32_t, std::uint32_t) {
    return 1;
}
[[gnu::visibility("default")]] int ICE_Check_Firmware(int*) {
    return 1;
}
}
