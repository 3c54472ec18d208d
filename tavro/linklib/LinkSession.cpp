#include "tavro/linklib/LinkSession.h"

#include "adapter/hid/HidDevicePath.h"
#include "adapter/hid/HidapiBackend.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterStatus.h"
#include "adapter/wire/IceLayout.h"
#include "adapter/wire/LinkLibraryResources.h"
#include "common/ByteOrder.h"
#include "common/ResourceFile.h"
#include "tavro/emulator/EmulatedBus.h"
#include "tavro/emulator/EmulatedHandle.h"
#include "tavro/emulator/TavroEmulator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace halden {

namespace {

constexpr std::uint16_t kNoFirmware = 0;

bool usableLength(std::size_t length) {
    return length >= 1 && length <= 0xFF;
}

} // namespace

LinkSession::LinkSession(std::span<std::uint8_t> ice, HidDeviceObject& device,
                         std::string libraryPath)
    : ice_(ice), device_(device), libraryPath_(std::move(libraryPath)) {}

LinkSession::~LinkSession() = default;

std::optional<std::uint16_t> LinkSession::carriedFirmware() {
    if (!firmware_) {
        const auto image = ResourceFile::read(libraryPath_, LinkLibraryResources::kFirmwareType,
                                              LinkLibraryResources::kFirmwareId);
        const auto& bytes = image.bytes;
        firmware_ = image.error == 0 && bytes.size() >= 2
                        ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(
                              (bytes[bytes.size() - 2] << 8) | bytes.back()))
                        : std::nullopt;
    }
    return *firmware_;
}

HidBackend* LinkSession::backend(int& error) {
    const char* settings = std::getenv(kEmulatorVariable);
    if (settings == nullptr) {
        if (!hidapi_) {
            hidapi_ = std::make_unique<HidapiBackend>();
        }
        return hidapi_.get();
    }
    std::string message;
    emulator_ = hub_.emulatorFor(settings, carriedFirmware().value_or(kNoFirmware), &message);
    if (!emulator_) {
        std::fprintf(stderr, "%s\n", message.c_str());
        error = kBadSettings;
    }
    return emulator_.get();
}

int LinkSession::connect(unsigned vendorId, unsigned productId, int mode) {
    const std::lock_guard lock(mutex_);
    const bool programmerMode = vendorId == 0 && productId == 0 && mode == 1;
    const bool exactDevice = vendorId == kTavroVendorId && productId <= 0xFFFF && mode == 0;
    if (!programmerMode && !exactDevice) {
        return kBadArgument;
    }
    int error = kNoDevice;
    HidBackend* source = backend(error);
    if (source == nullptr) {
        return error;
    }
    bool inUse = false;
    auto handle = openDevice(*source,
                             programmerMode ? std::uint16_t{PRODUCT_PROGRAMMER}
                                            : static_cast<std::uint16_t>(productId),
                             inUse);
    if (!handle) {
        // The adapter that is open stays open: the forced upgrade writes its switch
        // report on it after a failed attempt to open the recovery device.
        return inUse ? kInUse : kNoDevice;
    }
    if (!usableLength(handle->featureReportLength()) ||
        !usableLength(handle->inputReportLength()) || !usableLength(handle->outputReportLength())) {
        return kUnusableDevice;
    }
    handle_ = std::move(handle);
    openPath_ = pendingPath_;
    hub_.noteOpened(openPath_);
    device_ = {handle_.get(), static_cast<std::uint8_t>(handle_->featureReportLength()),
               static_cast<std::uint8_t>(handle_->inputReportLength()),
               static_cast<std::uint8_t>(handle_->outputReportLength())};
    return 0;
}

std::unique_ptr<HidHandle> LinkSession::openDevice(HidBackend& source, std::uint16_t productId,
                                                   bool& inUse) {
    const char* chosen = std::getenv(kAdapterPathVariable);
    const bool anyDevice = chosen == nullptr || *chosen == 0;
    for (const auto& device : source.enumerate(kTavroVendorId)) {
        if (device.productId != productId ||
            (!anyDevice && !HidDevicePath::samePath(device.path, chosen))) {
            continue;
        }
        if (auto handle = source.openPath(device.path, &inUse)) {
            pendingPath_ = device.path;
            return handle;
        }
    }
    return nullptr;
}

int LinkSession::disconnect() {
    const std::lock_guard lock(mutex_);
    openPath_.clear();
    const auto* emulated = dynamic_cast<const EmulatedHandle*>(handle_.get());
    const bool fails = emulated != nullptr && emulated->failsClose();
    device_ = {nullptr, 0, 0, 0};
    handle_.reset();
    return fails ? kRefused : 0;
}

int LinkSession::send(const TavroFrames::Command& command) {
    if (!handle_) {
        return kNotOpen;
    }
    auto frame = TavroFrames::commandFrame(command);
    frame.resize(handle_->outputReportLength(), 0);
    return handle_->writeOutput(frame) ? 0 : kRefused;
}

int LinkSession::write() {
    const std::lock_guard lock(mutex_);
    return send({ice_[IceLayout::kCommand], ice_[IceLayout::kTag],
                 ByteOrder::readLe32(ice_, IceLayout::kAddress),
                 ByteOrder::readLe32(ice_, IceLayout::kLength), ice_[IceLayout::kParameter0],
                 ice_[IceLayout::kParameter1]});
}

int LinkSession::sendCommand(int command) {
    const std::lock_guard lock(mutex_);
    if (command < 0 || command > 0xFF) {
        return kBadArgument;
    }
    return send({static_cast<std::uint8_t>(command), ice_[IceLayout::kTag], 0, 0,
                 ice_[IceLayout::kParameter0], ice_[IceLayout::kParameter1]});
}

int LinkSession::awaitReply(std::uint8_t tag, TavroFrames::Reply& reply) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
    std::vector<std::uint8_t> buffer(handle_->inputReportLength());
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int result =
            handle_->readInput(buffer, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (result == HidHandle::kTimeout) {
            handle_->cancel();
        }
        if (result != HidHandle::kOk) {
            return kNoReply;
        }
        // A reply left over from a command whose reply nobody read is passed over.
        const auto parsed = TavroFrames::parseReply(std::span(buffer).subspan(1));
        if (parsed && parsed->tag == tag) {
            reply = *parsed;
            return 0;
        }
    }
}

bool LinkSession::insideIce(const std::uint8_t* destination, std::uint32_t length,
                            bool& fits) const {
    const auto address = reinterpret_cast<std::uintptr_t>(destination);
    const auto begin = reinterpret_cast<std::uintptr_t>(ice_.data());
    if (address < begin || address >= begin + ice_.size()) {
        return false;
    }
    // Read-back data must not run over the request tag or past the block.
    fits = address + std::uint64_t{length} <= begin + IceLayout::kTag ||
           address > begin + IceLayout::kTag;
    fits = fits && address + std::uint64_t{length} <= begin + ice_.size();
    return true;
}

int LinkSession::readChunks(std::uint8_t* destination, std::uint32_t length) {
    const std::size_t reportLength = handle_->featureReportLength();
    if (reportLength <= TavroFrames::kDataPerReport) {
        return kUnusableDevice;
    }
    std::vector<std::uint8_t> report(reportLength);
    for (std::uint32_t done = 0; done < length;) {
        std::fill(report.begin(), report.end(), 0);
        if (!handle_->getFeature(report)) {
            return kRefused;
        }
        const auto n = std::min<std::uint32_t>(length - done, TavroFrames::kDataPerReport);
        std::copy_n(report.begin() + 1, n, destination + done);
        done += n;
    }
    return 0;
}

int LinkSession::readData(int command, std::uint8_t* destination, std::uint32_t address,
                          std::uint32_t length) {
    const std::lock_guard lock(mutex_);
    bool fits = true;
    if (command < 0 || command > 0xFF || (destination == nullptr && length > 0) ||
        (insideIce(destination, length, fits) && !fits)) {
        return kBadArgument;
    }
    const std::uint8_t tag = freshTag();
    if (const int sent = send({static_cast<std::uint8_t>(command), tag, address, length, 0, 0})) {
        return sent;
    }
    TavroFrames::Reply reply;
    if (const int read = awaitReply(tag, reply)) {
        return read;
    }
    if (reply.status != STATUS_DONE) {
        return kAdapterStatus;
    }
    return readChunks(destination, length);
}

int LinkSession::checkFirmware(int* mismatch) {
    const std::lock_guard lock(mutex_);
    if (mismatch == nullptr) {
        return kBadArgument;
    }
    const auto carried = carriedFirmware();
    if (!carried) {
        return kNoFirmwareImage;
    }
    const std::uint8_t tag = freshTag();
    if (const int sent = send({TavroFrames::kInfo, tag, 0, 0, 0, 0})) {
        return sent;
    }
    TavroFrames::Reply reply;
    if (const int read = awaitReply(tag, reply)) {
        return read;
    }
    if (reply.status != STATUS_DONE) {
        return kAdapterStatus;
    }
    *mismatch = reply.firmware != *carried;
    firmwareVersion_ = reply.firmware;
    ice_[IceLayout::kOfflineCapable] = reply.offline;
    return 0;
}

int LinkSession::checkDevice() {
    const std::lock_guard lock(mutex_);
    int error = kNoDevice;
    HidBackend* source = backend(error);
    if (source == nullptr) {
        return error;
    }
    for (const auto& device : source->enumerate(kTavroVendorId)) {
        if (device.productId == PRODUCT_PROGRAMMER) {
            return 0;
        }
    }
    return kNoDevice;
}

std::string LinkSession::adapterList() {
    const std::lock_guard lock(mutex_);
    int error = kNoDevice;
    HidBackend* source = backend(error);
    std::string list;
    for (const auto& device :
         source ? source->enumerate(kTavroVendorId) : std::vector<HidDeviceInfo>{}) {
        char productId[8];
        std::snprintf(productId, sizeof productId, "%04X", device.productId);
        list += device.path + '\t' + productId + '\t' + device.serialNumber + '\n';
    }
    return list;
}

std::string LinkSession::openPath() {
    const std::lock_guard lock(mutex_);
    return handle_ ? openPath_ : std::string();
}

int LinkSession::firmwareVersion() {
    const std::lock_guard lock(mutex_);
    return firmwareVersion_;
}

EmulatorControl* LinkSession::emulatorControl() {
    const std::lock_guard lock(mutex_);
    if (std::getenv(kEmulatorVariable) == nullptr) {
        return nullptr;
    }
    int error = 0;
    return backend(error) ? &hub_ : nullptr;
}

} // namespace halden
