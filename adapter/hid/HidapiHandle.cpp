#include "adapter/hid/HidapiHandle.h"

#include "adapter/hid/InputReportCheck.h"
#include "common/ProcessLock.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace halden {

namespace {

// hidapi reads block without a way to interrupt them, so a long wait is cut into
// slices between which a cancel is noticed.
constexpr int kSliceMs = 20;

} // namespace

HidapiHandle::HidapiHandle(hid_device_* device, const HidReportDescriptor::Lengths& lengths,
                           std::shared_ptr<ProcessLock> lock)
    : device_(device), lengths_(lengths), lock_(std::move(lock)) {}

HidapiHandle::~HidapiHandle() {
    hid_close(device_);
}

bool HidapiHandle::noteFailure(bool ok) {
    if (!ok) {
        const wchar_t* text = hid_error(device_);
        std::string narrow;
        for (const wchar_t* c = text; c != nullptr && *c != 0; ++c) {
            narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
        }
        const std::lock_guard lock(errorMutex_);
        lastError_ = narrow.empty() ? "the device did not take the report" : narrow;
    }
    return ok;
}

std::string HidapiHandle::lastError() const {
    const std::lock_guard lock(errorMutex_);
    return lastError_;
}

bool HidapiHandle::sendFeature(std::span<const std::uint8_t> report) {
    return !report.empty() &&
           noteFailure(hid_send_feature_report(device_, report.data(), report.size()) >= 0);
}

bool HidapiHandle::getFeature(std::span<std::uint8_t> report) {
    return !report.empty() &&
           noteFailure(hid_get_feature_report(device_, report.data(), report.size()) >= 0);
}

int HidapiHandle::readInput(std::span<std::uint8_t> buffer, int timeoutMs) {
    if (buffer.empty()) {
        return kBadArgument;
    }
    // Unnumbered reports arrive without byte 0: read them one byte further on. One byte
    // more than the longest report lets a report that is too long show.
    const std::size_t skip = lengths_.numbered ? 0 : 1;
    std::vector<std::uint8_t> raw(std::max<std::size_t>(lengths_.input, buffer.size()) + 1);
    const unsigned cancelsAtStart = cancelCount_.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return kTimeout;
        }
        const int got = hid_read_timeout(device_, raw.data() + skip, raw.size() - skip,
                                         static_cast<int>(std::min<long long>(left, kSliceMs)));
        if (got < 0) {
            noteFailure(false);
            return kDeviceGone;
        }
        if (got > 0) {
            raw[0] = skip ? 0 : raw[0];
            const std::size_t length = static_cast<std::size_t>(got) + skip;
            if (std::string problem = InputReportCheck(lengths_).problem(raw[0], length);
                !problem.empty()) {
                const std::lock_guard lock(errorMutex_);
                lastError_ = std::move(problem);
                return kInvalidData;
            }
            std::copy_n(raw.begin(), std::min(buffer.size(), length), buffer.begin());
            return kOk;
        }
        if (cancelCount_.load() != cancelsAtStart) {
            return kAborted;
        }
    }
}

bool HidapiHandle::writeOutput(std::span<const std::uint8_t> report) {
    return !report.empty() && noteFailure(hid_write(device_, report.data(), report.size()) >= 0);
}

void HidapiHandle::cancel() {
    ++cancelCount_;
}

} // namespace halden
