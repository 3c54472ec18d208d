#pragma once

#include "adapter/wire/HidDeviceObject.h"
#include "adapter/wire/IceLayout.h"

#include <cstdint>

namespace halden {
class EmulatorControl;
}

// The adapter link library's exports, with C linkage as the programs bind them by name.
// Every call returns 0 on success, otherwise one of halden::LinkSession::Result.
extern "C" {

// (0, 0, 1): open the adapter in programmer mode; (0x2E7B, pid, 0): open exactly that
// device. With TAVRO_EMULATOR set the emulated adapter is opened instead of USB devices.
// A failed call leaves an adapter that is already open as it is.
int ConnectHIDDevice(unsigned vid, unsigned pid, int mode);
int DisconnectHIDDevice();
// Sends the command block as the caller prepared it; data phase and reply follow on the handle.
int ICE_Write();
// Sends a command with parameter bytes 12, 13 and the tag byte of Ice; flag is always 1.
int ICE_Send_Command(int command, int flag);
// Reads length bytes of the adapter's memory into destination. A destination inside Ice
// must end before the request tag byte.
int ICE_Read_Data(int command, std::uint8_t* destination, std::uint32_t address,
                  std::uint32_t length);
// Sets *mismatch non-zero when the adapter's firmware differs from the carried image,
// and writes the off-line capability to byte 18 of Ice.
int ICE_Check_Firmware(int* mismatch);
// 0 when an adapter in programmer mode is on the bus.
int CheckDevice();

extern std::uint8_t Ice[halden::IceLayout::kSize];
extern HidDeviceObject HidDevice;

// Not one of the nine: the emulated adapter's arrivals, removals and bus counts for a
// program's device watcher and for benchmarks; null unless TAVRO_EMULATOR is set.
halden::EmulatorControl* TavroEmulatorControl();

// Not of the nine either: what halden adapters, gang and the trace log ask of the bus
// (AdapterDirectory.h). Each text call copies at most size - 1 bytes and a NUL into
// buffer and returns the text's whole length.
// The Tavro devices present, one "PATH<TAB>PRODUCT-ID (4 hex digits)<TAB>SERIAL" line each.
unsigned TavroAdapterList(char* buffer, unsigned size);
// The open adapter's path; empty when none is open.
unsigned TavroAdapterPath(char* buffer, unsigned size);
// The firmware version (major << 8 | minor) the last ICE_Check_Firmware read; -1 when none.
int TavroAdapterFirmware();
}
