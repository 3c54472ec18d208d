#include "programmer/form/FormScrolling.h"

#include <algorithm>

namespace halden {

std::optional<int> FormScrolling::next(Request request, int position, int cell, int thumb) {
    switch (request) {
    case Request::LineBack:
        return position - cell;
    case Request::LineForward:
        return position + cell;
    case Request::PageBack:
        return position - kPageLines * cell;
    case Request::PageForward:
        return position + kPageLines * cell;
    case Request::ThumbTrack:
        return thumb;
    case Request::Other:
        break;
    }
    return std::nullopt;
}

int FormScrolling::maximumPosition(int range, int page) {
    // A page of 0 still lets the position reach the range's end.
    return std::max(0, page > 0 ? range - page + 1 : range);
}

} // namespace halden
