#include "packsetup/ProgressStripLayout.h"

namespace halden {

ProgressStripLayout::ProgressStripLayout(int clientLeft, int clientWidth, int percent)
    : left_(clientLeft + 1), right_(clientLeft + clientWidth - 1), percent_(percent),
      split_(left_ + (right_ - left_) * percent / 100) {}

std::string ProgressStripLayout::text() const {
    return "Completed ..." + std::to_string(percent_) + "%";
}

} // namespace halden
