#pragma once

#include <string>

namespace halden {

// Where the setup window's progress strip (control 1008) splits into its done and its
// remaining part, and what it says. Spans are half-open pixel ranges [left, right) on the
// control's client x axis.
class ProgressStripLayout {
public:
    struct Span {
        int left = 0;
        int right = 0;
        bool empty() const { return right <= left; }
        bool operator==(const Span&) const = default;
    };

    // The top-left corner of the text's cell in client coordinates.
    static constexpr int kTextX = 90;
    static constexpr int kTextY = 2;
    // The font's face and cell height in pixels, normal weight.
    static constexpr const char* kFontFace = "Courier";
    static constexpr int kFontHeight = 10;
    static constexpr int kFontWeight = 400;

    // The strip runs over the client width less one pixel on each side.
    ProgressStripLayout(int clientLeft, int clientWidth, int percent);

    // left + width x percent / 100 in integer arithmetic, truncated toward zero.
    int split() const { return split_; }
    // A negative percent leaves the whole strip in the button face, without text.
    bool hasBar() const { return percent_ >= 0; }
    // The done part, empty without a bar.
    Span done() const { return hasBar() ? Span{left_, split_} : Span{left_, left_}; }
    // The remaining part, filled in the button face.
    Span rest() const { return {split_, right_}; }
    // "Completed ...45%".
    std::string text() const;

private:
    int left_;
    int right_;
    int percent_;
    int split_;
};

} // namespace halden
