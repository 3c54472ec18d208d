#include "programmer/form/FormPageRules.h"

namespace halden {

FormPageRules::Columns FormPageRules::columns(Device device, int w) {
    if (device == Device::Printer) {
        return {25 * w - w / 4, 55 * w + w / 4, 17 * w - w / 2, 92 * w + w / 2,
                33 * w - w / 2, 55 * w - w / 2, 72 * w - w / 2};
    }
    return {20 * w - w / 4, 50 * w + w / 4, 13 * w - w / 2, 89 * w + w / 2,
            29 * w - w / 2, 51 * w - w / 2, 68 * w - w / 2};
}

std::vector<FormPageRules::Segment> FormPageRules::segments(Device device, int w, int h) {
    const Columns c = columns(device, w);
    const int y0 = h / 2 + 13 * h;
    std::vector<Segment> out;
    // Under the To, From and Part No values.
    for (const int y : {7 * h + h / 3, 9 * h + 1, 11 * h + 1}) {
        out.push_back({c.a, y, c.b, y});
    }
    // The information box: top, eight rules, bottom, the two edges.
    out.push_back({c.l, y0, c.r, y0});
    for (int k = 1; k <= 8; ++k) {
        out.push_back({c.l, y0 + 2 * k * h, c.r, y0 + 2 * k * h});
    }
    out.push_back({c.l, y0 + 31 * h, c.r, y0 + 31 * h});
    out.push_back({c.l, y0 + 31 * h, c.l, y0});
    out.push_back({c.r, y0 + 31 * h, c.r, y0});
    // The label column, the three value columns of the size, time and key rows.
    out.push_back({c.d1, y0, c.d1, h / 2 + 29 * h});
    out.push_back({c.d2, h / 2 + 21 * h, c.d2, h / 2 + 27 * h});
    out.push_back({c.d3, h / 2 + 21 * h, c.d3, h / 2 + 27 * h});
    // Between the two option columns.
    out.push_back({c.d2, h / 2 + 36 * h, c.d2, h / 2 + 42 * h});
    return out;
}

} // namespace halden
