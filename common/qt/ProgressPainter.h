#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QString>

class QPainter;
class QRect;

namespace halden {

// The two-colour progress bar both programs draw over a control: the done part in the
// dark colour, the rest in the button face, and "Completed ...N%" drawn twice, clipped,
// in white over the done part and in dark blue over the rest. A negative percent leaves
// the whole control in the button face, without text.
class ProgressPainter {
public:
    static constexpr QRgb kTextOnRest = qRgb(10, 52, 106);
    static constexpr QRgb kTextOnBar = qRgb(255, 255, 255);
    // The classic scheme's desktop colour.
    static constexpr QRgb kBar = qRgb(0, 78, 152);

    // Courier in a 10-pixel cell, normal weight, single-colour glyphs so the colour change
    // at the split stays sharp.
    static QFont font();

    // textCell: the top-left corner of the text's cell in client coordinates.
    static void paint(QPainter& painter, const QRect& client, int percent, const QString& text,
                      const QFont& font, QPoint textCell, const QColor& buttonFace);
};

} // namespace halden
