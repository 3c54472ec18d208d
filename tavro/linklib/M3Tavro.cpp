#include "tavro/linklib/M3Tavro.h"

#include "tavro/linklib/LinkSession.h"

#include <algorithm>
#include <dlfcn.h>

namespace {

// The library's own file, which carries the adapter firmware image.
std::string libraryPath() {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&ConnectHIDDevice), &info) != 0 && info.dli_fname
               ? info.dli_fname
               : "";
}

halden::LinkSession& session() {
    static halden::LinkSession instance(Ice, HidDevice, libraryPath());
    return instance;
}

unsigned copyText(const std::string& text, char* buffer, unsigned size) {
    if (buffer != nullptr && size > 0) {
        const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
        std::copy_n(text.data(), n, buffer);
        buffer[n] = 0;
    }
    return static_cast<unsigned>(text.size());
}

} // namespace

extern "C" {

[[gnu::visibility("default")]] std::uint8_t Ice[halden::IceLayout::kSize] = {};
[[gnu::visibility("default")]] HidDeviceObject HidDevice = {nullptr, 0, 0, 0};

[[gnu::visibility("default")]] int ConnectHIDDevice(unsigned vid, unsigned pid, int mode) {
    return session().connect(vid, pid, mode);
}

[[gnu::visibility("default")]] int DisconnectHIDDevice() {
    return session().disconnect();
}

[[gnu::visibility("default")]] int ICE_Write() {
    return session().write();
}

[[gnu::visibility("default")]] int ICE_Send_Command(int command, int) {
    return session().sendCommand(command);
}

[[gnu::visibility("default")]] int ICE_Read_Data(int command, std::uint8_t* destination,
                                                 std::uint32_t address, std::uint32_t length) {
    return session().readData(command, destination, address, length);
}

[[gnu::visibility("default")]] int ICE_Check_Firmware(int* mismatch) {
    return session().checkFirmware(mismatch);
}

[[gnu::visibility("default")]] int CheckDevice() {
    return session().checkDevice();
}

[[gnu::visibility("default")]] halden::EmulatorControl* TavroEmulatorControl() {
    return session().emulatorControl();
}

[[gnu::visibility("default")]] unsigned TavroAdapterList(char* buffer, unsigned size) {
    return copyText(session().adapterList(), buffer, size);
}

[[gnu::visibility("default")]] unsigned TavroAdapterPath(char* buffer, unsigned size) {
    return copyText(session().openPath(), buffer, size);
}

[[gnu::visibility("default")]] int TavroAdapterFirmware() {
    return session().firmwareVersion();
}
}
