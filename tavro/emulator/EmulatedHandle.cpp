#include "tavro/emulator/EmulatedHandle.h"

#include "tavro/emulator/TavroEmulator.h"

namespace halden {

EmulatedHandle::EmulatedHandle(std::shared_ptr<TavroEmulator> emulator, std::uint32_t generation,
                               const Lengths& lengths)
    : emulator_(std::move(emulator)), generation_(generation), lengths_(lengths) {}

EmulatedHandle::~EmulatedHandle() {
    emulator_->detach(*this);
}

bool EmulatedHandle::sendFeature(std::span<const std::uint8_t> report) {
    return emulator_->sendFeature(*this, report);
}

bool EmulatedHandle::getFeature(std::span<std::uint8_t> report) {
    return emulator_->getFeature(*this, report);
}

int EmulatedHandle::readInput(std::span<std::uint8_t> buffer, int timeoutMs) {
    return emulator_->readInput(*this, buffer, timeoutMs);
}

bool EmulatedHandle::writeOutput(std::span<const std::uint8_t> report) {
    return emulator_->writeOutput(*this, report);
}

bool EmulatedHandle::failsClose() const {
    return emulator_->failsClose();
}

std::string EmulatedHandle::lastError() const {
    return emulator_->errorOf(*this);
}

void EmulatedHandle::cancel() {
    emulator_->cancel(*this);
}

} // namespace halden
