#include "adapter/AdapterWatch.h"

#include "adapter/LinkLibrary.h"
#include "adapter/hid/EmulatorControl.h"
#include "adapter/hid/UdevHidWatch.h"

namespace halden {

namespace {

// The library's own watch, which lives as long as the library stays loaded.
class LibraryWatch : public HidDeviceWatch {
public:
    explicit LibraryWatch(HidDeviceWatch& watch) : watch_(watch) {}
    void subscribe(HidDeviceListener& listener) override { watch_.subscribe(listener); }
    void unsubscribe(HidDeviceListener& listener) override { watch_.unsubscribe(listener); }

private:
    HidDeviceWatch& watch_;
};

} // namespace

std::unique_ptr<HidDeviceWatch> AdapterWatch::forLibrary(const LinkLibrary& library) {
    if (!library.loaded()) {
        return nullptr;
    }
    using ControlFn = EmulatorControl* (*)();
    const auto control = reinterpret_cast<ControlFn>(library.symbol(kEmulatorControlExport));
    if (EmulatorControl* own = control != nullptr ? control() : nullptr) {
        return std::make_unique<LibraryWatch>(*own);
    }
    return std::make_unique<UdevHidWatch>();
}

} // namespace halden
