#include "adapter/hid/InputReportCheck.h"

namespace halden {

std::string InputReportCheck::problem(std::uint32_t id, std::size_t length) const {
    if (id != id_) {
        return "the data is invalid: input report " + std::to_string(id) + " came, not report " +
               std::to_string(id_);
    }
    if (length != length_) {
        return "the data is invalid: an input report of " + std::to_string(length) +
               " bytes came, not " + std::to_string(length_);
    }
    return {};
}

} // namespace halden
