#pragma once

#include <string>
#include <string_view>

namespace halden {

// Where a progress bar drawn over a control (the programmer's status pane, the setup
// tool's strip) ends and what it says. A half-open pixel span [left, right) on the
// control's client x axis.
class ProgressLayout {
public:
    struct Span {
        int left = 0;
        int right = 0;
        bool empty() const { return right <= left; }
        bool operator==(const Span&) const = default;
    };

    // The percent that clears the bar.
    static constexpr int kClear = -1;
    // The bar runs over the client width less one pixel on each side.
    ProgressLayout(int clientLeft, int clientWidth, int percent);

    // x = left + percent × width / 100 in integer arithmetic, truncated toward zero, so
    // -1 lands a little left of the bar and the whole pane takes the button face.
    int split() const { return split_; }
    bool hasBar() const { return percent_ >= 0; }
    // Filled in the dark colour; empty without a bar.
    Span bar() const;
    // Filled in the button face colour.
    Span rest() const { return {split_, right_}; }

    // "Completed ...42%" from the UI text for "Completed".
    static std::u16string text(std::u16string_view completed, int percent);

private:
    int left_;
    int right_;
    int percent_;
    int split_;
};

} // namespace halden
