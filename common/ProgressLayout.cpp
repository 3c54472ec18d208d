#include "common/ProgressLayout.h"

namespace halden {

ProgressLayout::ProgressLayout(int clientLeft, int clientWidth, int percent)
    : left_(clientLeft + 1), right_(clientLeft + clientWidth - 1), percent_(percent),
      split_(left_ + percent * (right_ - left_) / 100) {}

ProgressLayout::Span ProgressLayout::bar() const {
    if (!hasBar()) {
        return {left_, left_};
    }
    return {left_, split_};
}

std::u16string ProgressLayout::text(std::u16string_view completed, int percent) {
    std::u16string result(completed);
    result += u" ...";
    for (const char digit : std::to_string(percent)) {
        result += static_cast<char16_t>(digit);
    }
    result += u'%';
    return result;
}

} // namespace halden
