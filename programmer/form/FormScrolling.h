#pragma once

#include <optional>

namespace halden {

// How the form page view scrolls: by one cell per line, by thirty per page, or to the
// thumb. The page is 70 cells high and 100 wide.
class FormScrolling {
public:
    static constexpr int kPageLines = 30;
    static constexpr int kRows = 70;
    static constexpr int kColumns = 100;

    enum class Request { LineBack, LineForward, PageBack, PageForward, ThumbTrack, Other };

    // The new position before the scroll bar clamps it; nothing for a request that only
    // the default handling sees.
    static std::optional<int> next(Request request, int position, int cell, int thumb);

    // The highest position of a scroll bar whose range is 0 to `range` and whose page is
    // `page` long, as the system's scroll bars allow it.
    static int maximumPosition(int range, int page);
};

} // namespace halden
