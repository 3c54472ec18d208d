#include "M3Tavro.h"

// No adapter transport is wired in yet: every call that needs an open adapter
// reports that none is there.
namespace {
constexpr int kNoAdapter = 1;
}

extern "C" {

[[gnu::visibility("default")]] std::uint8_t Ice[halden::IceLayout::kSize] = {};
[[gnu::visibility("default")]] HidDeviceObject HidDevice = {nullptr, 0, 0, 0};

[[gnu::visibility("default")]] int ConnectHIDDevice(unsigned, unsigned, int) {
    return kNoAdapter;
}

[[gnu::visibility("default")]] int DisconnectHIDDevice() {
    HidDevice = {nullptr, 0, 0, 0};
    return 0;
}

[[gnu::visibility("default")]] int ICE_Write() {
    return kNoAdapter;
}

[[gnu::visibility("default")]] int ICE_Send_Command(int, int) {
    return kNoAdapter;
}

[[gnu::visibility("default")]] int ICE_Read_Data(int, std::uint8_t*, std::uint32_t, std::uint32_t) {
    return kNoAdapter;
}

[[gnu::visibility("default")]] int ICE_Check_Firmware(int*) {
    return kNoAdapter;
}

[[gnu::visibility("default")]] int CheckDevice() {
    return kNoAdapter;
}
}
