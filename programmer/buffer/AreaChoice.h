#pragma once

#include <cstdint>
#include <optional>

namespace halden {

// The area dialog's answer: where the image goes, and whether the buffer is emptied
// first.
struct AreaChoice {
    std::uint32_t address = 0;
    bool clearBuffer = true;
};

// Asks the user for the load area, starting from the part's default area address;
// nothing on Cancel.
class AreaChooser {
public:
    virtual ~AreaChooser() = default;
    virtual std::optional<AreaChoice> chooseArea(std::uint32_t defaultAddress) = 0;
};

} // namespace halden
