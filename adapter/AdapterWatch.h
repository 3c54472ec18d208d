#pragma once

#include "adapter/hid/HidDeviceWatch.h"

#include <memory>

namespace halden {

class LinkLibrary;

// The arrivals and removals of the adapters that a loaded link library reaches: the
// devices it offers a watch of its own for (its emulated adapter), real ones through udev
// otherwise. A listener unsubscribes before the watch is destroyed.
class AdapterWatch {
public:
    // Null when no library is loaded.
    static std::unique_ptr<HidDeviceWatch> forLibrary(const LinkLibrary& library);
};

} // namespace halden
