#include "programmer/form/qt/FormPrinter.h"

#include "programmer/form/qt/FormFont.h"
#include "programmer/form/qt/FormPage.h"

#include <QPainter>
#include <QPrinter>

namespace halden {

bool FormPrinter::print(QPrinter& printer, const QString& text) {
    printer.setDocName(QString::fromLatin1(kDocumentName));
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRect rect(0, 0, printer.width(), printer.height());
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFont& font = FormFont::printer(printer);
    painter.setFont(font);
    const QSize cell = FormFont::cell(font, &printer);
    FormPage::draw(painter, text, rect, FormPageRules::Device::Printer, cell);
    return painter.end();
}

} // namespace halden
