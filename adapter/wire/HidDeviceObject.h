#pragma once

#include <cstdint>

// The link library's open adapter, exported as `HidDevice`. The programs read these
// four fields and exchange their own reports on the handle.
extern "C" struct HidDeviceObject {
    // The open device (a halden::HidHandle), null while no adapter is open.
    void* handle;
    // Report lengths as the device declares them, each counting the report-ID byte.
    std::uint8_t featureReportLength;
    std::uint8_t inputReportLength;
    std::uint8_t outputReportLength;
};
