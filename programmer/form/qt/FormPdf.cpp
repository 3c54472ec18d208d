#include "programmer/form/qt/FormPdf.h"

#include "common/AtomicFile.h"
#include "programmer/form/qt/FormFont.h"
#include "programmer/form/qt/FormPage.h"
#include "programmer/form/qt/FormPrinter.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace halden {

std::vector<std::uint8_t> FormPdf::bytes(const QString& text) {
    QByteArray document;
    QBuffer buffer(&document);
    if (!buffer.open(QIODevice::WriteOnly)) {
        return {};
    }
    {
        // In memory first: the writer puts the document out as it goes, so a file would
        // be left half written by a failure.
        QPdfWriter writer(&buffer);
        writer.setResolution(kDotsPerInch);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QString::fromLatin1(FormPrinter::kDocumentName));
        writer.setCreator(QStringLiteral("Halden"));
        QPainter painter;
        if (!painter.begin(&writer)) {
            return {};
        }
        painter.setBackgroundMode(Qt::TransparentMode);
        const QFont font = FormFont::make(kDotsPerInch);
        painter.setFont(font);
        const QSize cell = FormFont::cell(font, &writer);
        FormPage::draw(painter, text, QRect(0, 0, writer.width(), writer.height()),
                       FormPageRules::Device::Printer, cell);
        if (!painter.end()) {
            return {};
        }
    }
    return std::vector<std::uint8_t>(document.begin(), document.end());
}

std::string FormPdf::save(const std::string& path, const QString& text) {
    const auto document = bytes(text);
    if (document.empty()) {
        return "the PDF document could not be drawn";
    }
    return AtomicFile::write(path, document);
}

} // namespace halden
