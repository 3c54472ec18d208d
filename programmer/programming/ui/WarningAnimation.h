#pragma once

#include <optional>

namespace halden {

// The firmware warning dialog's states and its animation, apart from any window:
// offered (buttons shown), waiting (timer 1 animates the frames and the wait text's
// dots) and loaded (final frame; timer 2 closes the dialog when the download ended
// while waiting).
class WarningAnimation {
public:
    enum class Timer {
        None,
        Animation, // timer 1, every 100 ms
        Close,     // timer 2, once after 50 ms
    };

    static constexpr int kFrameCount = 9;
    static constexpr int kFinalFrame = 8;
    static constexpr int kAnimationMs = 100;
    static constexpr int kCloseMs = 50;
    // The dot count goes back to 0 once it passes this.
    static constexpr int kMaxDots = 10;

    // dotCount outlives the animation: every opening of the dialog carries it on.
    explicit WarningAnimation(int& dotCount) : dotCount_(dotCount) {}

    // The process-wide dot count, 0 at program start.
    static int& sharedDotCount();

    // OK: only the first press counts; it starts timer 1. False for a later press.
    bool pressOk();
    // Timer 1: the wait text takes the dots counted so far, the frame advances and the
    // title blinks.
    void tick();
    // The download has ended: final frame, title and bitmap shown; a running timer 1
    // gives way to timer 2. Answers 1, as the message is answered.
    int loaded();
    // Timer 2: it stops; the dialog closes.
    void closeTimerElapsed() { timer_ = Timer::None; }

    bool started() const { return started_; }
    Timer timer() const { return timer_; }
    int frame() const { return frame_; }
    bool titleShown() const { return titleShown_; }
    bool bitmapShown() const { return bitmapShown_; }
    // The dots after the wait text; nothing while the offer's message stands.
    std::optional<int> dots() const { return dots_; }
    int dotCount() const { return dotCount_; }

private:
    int& dotCount_;
    bool started_ = false;
    Timer timer_ = Timer::None;
    int frame_ = 0;
    bool titleShown_ = true;
    bool bitmapShown_ = false;
    std::optional<int> dots_;
};

} // namespace halden
