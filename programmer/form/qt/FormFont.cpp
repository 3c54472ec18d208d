#include "programmer/form/qt/FormFont.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QScreen>

#include <optional>

namespace halden {

QFont FormFont::make(int dotsPerInch) {
    static const bool substitutes = [] {
        QFont::insertSubstitutions(
            "Courier New", {"Liberation Mono", "Cousine", "Nimbus Mono PS", "DejaVu Sans Mono"});
        return true;
    }();
    (void)substitutes;
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    // The character height in pixels, rounded as the system rounds point sizes.
    font.setPixelSize(std::max(1, (kPointSize * dotsPerInch + 36) / 72));
    return font;
}

int FormFont::screenDotsPerInch() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
}

const QFont& FormFont::screen() {
    static const QFont font = make(screenDotsPerInch());
    return font;
}

const QFont& FormFont::printer(const QPaintDevice& firstPrinter) {
    static const QFont font = make(firstPrinter.logicalDpiY());
    return font;
}

QSize FormFont::cell(const QFont& font, const QPaintDevice* device) {
    const QFontMetrics metrics(font, device);
    return {metrics.horizontalAdvance(QLatin1Char('0')), metrics.height()};
}

} // namespace halden
