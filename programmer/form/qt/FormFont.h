#pragma once

#include <QFont>
#include <QSize>

class QPaintDevice;

namespace halden {

// The request form's page font, Courier New at 9 points, and its character cell.
class FormFont {
public:
    static constexpr int kPointSize = 9;

    // The font at 9 points for a device of `dotsPerInch`, with look-alike faces where
    // Courier New is not installed.
    static QFont make(int dotsPerInch);
    // The views' font: made for the screen the first time one is asked for, then shared.
    static const QFont& screen();
    // The printer's: made for the first printer that prints and kept for the program run,
    // so a later printer of another resolution gets the same size.
    static const QFont& printer(const QPaintDevice& firstPrinter);
    // The screen's dots per inch (96 without a screen).
    static int screenDotsPerInch();

    // Width and height of "0" in the font on the device.
    static QSize cell(const QFont& font, const QPaintDevice* device);
};

} // namespace halden
