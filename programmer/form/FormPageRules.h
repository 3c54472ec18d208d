#pragma once

#include <vector>

namespace halden {

// The ruled lines of the request form page, in device units computed from the page
// font's cell (width w and height h of "0"): underlines under To, From and Part No, the
// information box with its rules and dividers, and the divider between the two option
// columns. The screen and the picture share one set; the printer has its own, wider one.
class FormPageRules {
public:
    enum class Device { Screen, Printer };

    struct Segment {
        int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        bool operator==(const Segment&) const = default;
    };

    // The x positions of one set: underline start A and end B, box edges L and R, and
    // the dividers D1 (labels), D2 and D3.
    struct Columns {
        int a = 0, b = 0, l = 0, r = 0, d1 = 0, d2 = 0, d3 = 0;
    };

    static Columns columns(Device device, int w);
    // Every segment, each from its first point to its second, in drawing order.
    static std::vector<Segment> segments(Device device, int w, int h);
};

} // namespace halden
