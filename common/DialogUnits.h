#pragma once

namespace halden {

// Dialog-template geometry: positions in dialog units become pixels through the
// dialog font's base units (average character width, character height), so a
// window keeps its template's proportions whatever font it gets.
class DialogUnits {
public:
    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
        bool operator==(const Rect&) const = default;
    };

    DialogUnits(int averageCharWidth, int charHeight)
        : baseX_(averageCharWidth), baseY_(charHeight) {}

    int toPixelsX(int units) const { return mulDiv(units, baseX_, 4); }
    int toPixelsY(int units) const { return mulDiv(units, baseY_, 8); }
    Rect toPixels(const Rect& units) const {
        return {toPixelsX(units.x), toPixelsY(units.y), toPixelsX(units.width),
                toPixelsY(units.height)};
    }

private:
    // value * numerator / denominator, rounded half away from zero.
    static int mulDiv(int value, int numerator, int denominator) {
        const long long product = static_cast<long long>(value) * numerator;
        const long long half = denominator / 2;
        return static_cast<int>(product >= 0 ? (product + half) / denominator
                                             : (product - half) / denominator);
    }

    int baseX_;
    int baseY_;
};

} // namespace halden
