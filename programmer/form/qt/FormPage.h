#pragma once

#include "programmer/form/FormPageRules.h"

#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace halden {

// Draws the request form page, the same way on the screen, into the picture and on the
// printer: the device's rules with the painter's pen, then the whole text once into a
// rectangle, every line centred on its own, tabs expanded, "&" shown as it is. Each
// character stands in its own cell of the page font, so text and rules stay aligned on
// every device whatever the font's advance.
class FormPage {
public:
    // The view's bitmap and the picture: 100 cells wide, 70 high.
    static constexpr int kColumns = 100;
    static constexpr int kRows = 70;
    static constexpr int kTabCells = 8;

    static void draw(QPainter& painter, const QString& text, const QRect& rect,
                     FormPageRules::Device device, QSize cell);
    static void drawRules(QPainter& painter, FormPageRules::Device device, QSize cell);
    // One line per text line of `cell`-sized characters, each line centred within the
    // rectangle's width, in the painter's font.
    static void drawText(QPainter& painter, const QString& text, const QRect& rect, QSize cell);

    // The text's lines without their CR, tabs expanded to every eighth column and the
    // byte-order mark dropped (it draws as nothing).
    static QStringList lines(const QString& text);
};

} // namespace halden
