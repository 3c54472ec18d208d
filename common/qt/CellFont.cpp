#include "common/qt/CellFont.h"

#include <QFontMetrics>
#include <QStringList>

namespace halden {

namespace {

void registerSubstitutesOnce() {
    static const bool registered = [] {
        QFont::insertSubstitutions(
            "Courier", {"Liberation Mono", "Cousine", "Nimbus Mono PS", "DejaVu Sans Mono"});
        QFont::insertSubstitutions("Arial",
                                   {"Liberation Sans", "Arimo", "Nimbus Sans", "DejaVu Sans"});
        // A narrow heavy face keeps the title as wide as the original's.
        QFont::insertSubstitutions("Impact",
                                   {"Nimbus Sans Narrow", "Liberation Sans Narrow",
                                    "DejaVu Sans Condensed", "Liberation Sans", "DejaVu Sans"});
        return true;
    }();
    (void)registered;
}

} // namespace

QFont CellFont::make(const QString& family, int cellHeight, int weight, QFont::StyleHint hint) {
    registerSubstitutesOnce();
    QFont font(family);
    font.setStyleHint(hint);
    font.setWeight(static_cast<QFont::Weight>(weight));
    // A pixel size sets the em, which is smaller than the cell: take the largest em
    // whose cell still fits.
    for (int size = cellHeight; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= cellHeight) {
            break;
        }
    }
    return font;
}

} // namespace halden
