#include "adapter/FirmwareDownload.h"

#include "adapter/AdapterLink.h"

#include <algorithm>
#include <vector>

namespace halden {

std::chrono::milliseconds FirmwareDownload::beginWait(std::uint32_t length, const Timing& timing) {
    return timing.beginWaitPerBlock * (length / 512 + 1);
}

bool FirmwareDownload::fail(std::string why) {
    failure_ = std::move(why);
    return false;
}

bool FirmwareDownload::run() {
    failure_.clear();
    const std::size_t featureLength = link_.featureReportLength();
    if (featureLength < kMinimumFeatureLength) {
        return fail("the boot loader's feature report is too short (" +
                    std::to_string(featureLength) + " bytes)");
    }
    const std::uint32_t length = image_.length();
    std::vector<std::uint8_t> begin(featureLength, 0);
    begin[1] = kBegin;
    begin[5] = static_cast<std::uint8_t>(length >> 16);
    begin[6] = static_cast<std::uint8_t>(length >> 8);
    begin[7] = static_cast<std::uint8_t>(length);
    if (!link_.sendFeature(begin, "boot loader Begin report")) {
        return fail("the boot loader refused the Begin report");
    }
    progress_(0);
    sleep_(beginWait(length, timing_));
    const bool allSent = sendData(featureLength);
    progress_(100);
    progress_(-1);
    const bool confirmed = check(featureLength);
    if (!allSent) {
        return false; // sendData named the refused report
    }
    return confirmed;
}

bool FirmwareDownload::sendData(std::size_t featureLength) {
    const auto bytes = image_.bytes();
    const std::size_t perReport = featureLength - 1;
    std::vector<std::uint8_t> report(featureLength);
    int shown = 0;
    for (std::size_t at = 0; at < bytes.size(); at += perReport) {
        std::fill(report.begin(), report.end(), 0);
        const std::size_t n = std::min(perReport, bytes.size() - at);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, report.begin() + 1);
        const std::string what = "boot loader Data report at image offset " + std::to_string(at);
        bool accepted = link_.sendFeature(report, what);
        // An adapter that left the bus is not sent the retries.
        const bool goneAtOnce = !accepted && link_.deviceGone();
        for (int retry = 0; !accepted && !goneAtOnce && retry < timing_.dataRetries; ++retry) {
            sleep_(timing_.retryDelay);
            accepted = link_.sendFeature(report, what);
        }
        if (!accepted && (goneAtOnce || link_.deviceGone())) {
            return fail("the adapter left the bus during the download, at image offset " +
                        std::to_string(at) + " of " + std::to_string(bytes.size()) + " bytes");
        }
        if (!accepted) {
            return fail("the boot loader refused the Data report at image offset " +
                        std::to_string(at) + " " + std::to_string(timing_.dataRetries + 1) +
                        " times");
        }
        const int percent = static_cast<int>((at + n) * 100 / bytes.size());
        if (percent - shown > 1) {
            progress_(percent);
            shown = percent;
        }
    }
    return true;
}

bool FirmwareDownload::check(std::size_t featureLength) {
    std::vector<std::uint8_t> report(featureLength, 0);
    report[1] = kCheck;
    report[7] = 2;
    if (!link_.sendFeature(report, "boot loader Check report") ||
        !link_.getFeature(report, "boot loader checksum read-back")) {
        return failure_.empty() ? fail("the boot loader did not give its checksum") : false;
    }
    const std::uint16_t sum = image_.checksum();
    if (report[1] != (sum >> 8) || report[2] != (sum & 0xFF)) {
        return failure_.empty() ? fail("the boot loader's checksum differs from the image's")
                                : false;
    }
    return true;
}

bool FirmwareDownload::sendRestart(AdapterLink& link) {
    const std::size_t featureLength = link.featureReportLength();
    if (!link.isOpen() || featureLength < kMinimumFeatureLength) {
        return false;
    }
    std::vector<std::uint8_t> report(featureLength, 0);
    report[1] = kRestart;
    return link.sendFeature(report, "boot loader Restart report");
}

} // namespace halden
