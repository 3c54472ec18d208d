#pragma once

#include "adapter/FirmwareImage.h"

#include <chrono>
#include <functional>
#include <string>

namespace halden {

class AdapterLink;

// Sends the firmware image to the adapter's open boot loader through its feature reports
// (F bytes each, report ID 0 in byte 0): Begin with the length, the image in Data reports
// of F - 1 bytes, then Check, whose read-back must carry the image's 16-bit sum.
class FirmwareDownload {
public:
    // The waits and retries; tests shorten them.
    struct Timing {
        // Between Begin and the first Data report: this times (L / 512 + 1).
        std::chrono::milliseconds beginWaitPerBlock{25};
        // A refused Data report is sent again after this, at most dataRetries more times,
        // counted afresh for every report.
        std::chrono::milliseconds retryDelay{8};
        int dataRetries = 500;
    };
    using Progress = std::function<void(int percent)>; // 0 to 100, -1 clears
    using Sleep = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::uint8_t kBegin = 0x33;
    static constexpr std::uint8_t kCheck = 0x22;
    static constexpr std::uint8_t kRestart = 0x44;
    // A boot loader whose feature report holds no more than this cannot take the image.
    static constexpr std::size_t kMinimumFeatureLength = 9;

    FirmwareDownload(AdapterLink& link, const FirmwareImage& image, Timing timing,
                     Progress progress, Sleep sleep)
        : link_(link), image_(image), timing_(timing), progress_(std::move(progress)),
          sleep_(std::move(sleep)) {}

    // True only when the boot loader confirmed the image's sum.
    bool run();
    // What ended a failed run, in one line for diagnostics.
    const std::string& failure() const { return failure_; }

    static std::chrono::milliseconds beginWait(std::uint32_t length, const Timing& timing);
    // The Restart report, sent only when a boot loader is open and its report is long
    // enough; true when it was accepted.
    static bool sendRestart(AdapterLink& link);

private:
    bool fail(std::string why);
    bool sendData(std::size_t featureLength);
    bool check(std::size_t featureLength);

    AdapterLink& link_;
    const FirmwareImage& image_;
    Timing timing_;
    Progress progress_;
    Sleep sleep_;
    std::string failure_;
};

} // namespace halden
