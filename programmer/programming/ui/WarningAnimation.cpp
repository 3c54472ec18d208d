#include "programmer/programming/ui/WarningAnimation.h"

namespace halden {

int& WarningAnimation::sharedDotCount() {
    static int dotCount = 0;
    return dotCount;
}

bool WarningAnimation::pressOk() {
    if (started_) {
        return false;
    }
    started_ = true;
    timer_ = Timer::Animation;
    return true;
}

void WarningAnimation::tick() {
    dots_ = dotCount_;
    ++dotCount_;
    // Frame 0 is the empty one: the loop runs over the drawing steps 1 to 8 only.
    frame_ = frame_ % kFinalFrame + 1;
    titleShown_ = dotCount_ % 2 == 1;
    if (dotCount_ > kMaxDots) {
        dotCount_ = 0;
    }
}

int WarningAnimation::loaded() {
    frame_ = kFinalFrame;
    titleShown_ = true;
    bitmapShown_ = true;
    if (timer_ == Timer::Animation) {
        timer_ = Timer::Close;
    }
    return 1;
}

} // namespace halden
