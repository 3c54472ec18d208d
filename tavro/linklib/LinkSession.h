#pragma once

#include "adapter/hid/HidBackend.h"
#include "adapter/wire/HidDeviceObject.h"
#include "adapter/wire/LinkResult.h"
#include "adapter/wire/TavroFrames.h"
#include "tavro/linklib/EmulatorHub.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

namespace halden {

class HidapiBackend;

// The link library's connection to one adapter: the open device behind `HidDevice`,
// the frames each export sends (TavroFrames.h) and the library's own replies. Real
// adapters are reached through hidapi, the emulated one while TAVRO_EMULATOR is set
// (read at each connect). Calls are serialised, so the firmware-upgrade worker may take
// the link over from the window thread.
class LinkSession {
public:
    // The calls' results besides 0: LinkResult.
    enum Result : int {
        kNoDevice = LINK_NO_DEVICE,
        kNotOpen = LINK_NOT_OPEN,
        kRefused = LINK_REFUSED,
        kNoReply = LINK_NO_REPLY,
        kAdapterStatus = LINK_ADAPTER_STATUS,
        kBadArgument = LINK_BAD_ARGUMENT,
        kBadSettings = LINK_BAD_SETTINGS,
        kUnusableDevice = LINK_UNUSABLE_DEVICE,
        kNoFirmwareImage = LINK_NO_FIRMWARE_IMAGE,
        kInUse = LINK_IN_USE,
    };

    static constexpr int kReplyTimeoutMs = 4000;
    static constexpr const char* kEmulatorVariable = "TAVRO_EMULATOR";
    // The path of the one adapter this process opens, read at each connect; without it
    // (or empty) the first free adapter with the product ID is opened.
    static constexpr const char* kAdapterPathVariable = "HALDEN_ADAPTER_PATH";

    // ice: the command block; device: the HidDevice export; libraryPath: the library's
    // own file, which carries the firmware image.
    LinkSession(std::span<std::uint8_t> ice, HidDeviceObject& device, std::string libraryPath);
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    int connect(unsigned vendorId, unsigned productId, int mode);
    int disconnect();
    int write();
    int sendCommand(int command);
    int readData(int command, std::uint8_t* destination, std::uint32_t address,
                 std::uint32_t length);
    int checkFirmware(int* mismatch);
    int checkDevice();
    // The emulated adapter's control while TAVRO_EMULATOR is set and valid, else null.
    EmulatorControl* emulatorControl();
    // The Tavro devices on the bus, one "PATH<TAB>PRODUCT-ID<TAB>SERIAL" line each.
    std::string adapterList();
    // The open adapter's path; empty when none is open.
    std::string openPath();
    // The firmware version the last firmware query read from the adapter; -1 when none.
    int firmwareVersion();

private:
    HidBackend* backend(int& error);
    std::optional<std::uint16_t> carriedFirmware();
    std::unique_ptr<HidHandle> openDevice(HidBackend& source, std::uint16_t productId, bool& inUse);
    int send(const TavroFrames::Command& command);
    int awaitReply(std::uint8_t tag, TavroFrames::Reply& reply);
    int readChunks(std::uint8_t* destination, std::uint32_t length);
    bool insideIce(const std::uint8_t* destination, std::uint32_t length, bool& fits) const;
    std::uint8_t freshTag() { return ++lastTag_; }

    std::mutex mutex_;
    std::span<std::uint8_t> ice_;
    HidDeviceObject& device_;
    std::string libraryPath_;
    EmulatorHub hub_;
    std::shared_ptr<HidBackend> emulator_;
    std::string openPath_;
    std::string pendingPath_; // the device openDevice found, until connect keeps it
    int firmwareVersion_ = -1;
    std::unique_ptr<HidapiBackend> hidapi_;
    std::unique_ptr<HidHandle> handle_;
    std::optional<std::optional<std::uint16_t>> firmware_;
    std::uint8_t lastTag_ = 0x5A;
};

} // namespace halden
