#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halden {

// Device-interface paths in the form the system compares:
// "\\?\HID#Vid_2e7b&Pid_0325#<instance>#{4d1e55b2-f16f-11cf-88cb-001111000030}".
class HidDevicePath {
public:
    static constexpr std::string_view kInterfaceClass = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

    static std::string format(std::uint16_t vendorId, std::uint16_t productId,
                              std::string_view instance);
    // "\\?\HID#Vid_2e7b&Pid_0325#": what every path of the device begins with.
    static std::string prefix(std::uint16_t vendorId, std::uint16_t productId);
    // The path's product ID when it is a HID path of this vendor; case does not matter.
    // Whether two paths name the same device interface: equal but for case.
    static bool samePath(std::string_view a, std::string_view b);
    static std::optional<std::uint16_t> productId(std::string_view path, std::uint16_t vendorId);
};

} // namespace halden
