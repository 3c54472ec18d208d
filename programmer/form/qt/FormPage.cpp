#include "programmer/form/qt/FormPage.h"

#include "programmer/form/FormTextCells.h"

#include <QFontMetrics>
#include <QPainter>

#include <QStringList>
#include <string_view>

namespace halden {

namespace {

QString expandTabs(const QString& line) {
    QString out;
    for (const QChar c : line) {
        if (c == QLatin1Char('\t')) {
            out +=
                QString(FormPage::kTabCells - out.size() % FormPage::kTabCells, QLatin1Char(' '));
        } else if (c != QChar(0xFEFF)) {
            out += c;
        }
    }
    return out;
}

} // namespace

QStringList FormPage::lines(const QString& text) {
    QStringList out;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        out.push_back(expandTabs(line));
    }
    return out;
}

void FormPage::draw(QPainter& painter, const QString& text, const QRect& rect,
                    FormPageRules::Device device, QSize cell) {
    drawRules(painter, device, cell);
    drawText(painter, text, rect, cell);
}

void FormPage::drawRules(QPainter& painter, FormPageRules::Device device, QSize cell) {
    for (const auto& s : FormPageRules::segments(device, cell.width(), cell.height())) {
        painter.drawLine(s.x1, s.y1, s.x2, s.y2);
    }
}

void FormPage::drawText(QPainter& painter, const QString& text, const QRect& rect, QSize cell) {
    const int ascent = painter.fontMetrics().ascent();
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    int top = rect.top();
    for (const QString& line : lines(text)) {
        const std::u16string_view units(reinterpret_cast<const char16_t*>(line.constData()),
                                        static_cast<std::size_t>(line.size()));
        // Trailing spaces count: the template pads its lines so they centre alike.
        const int width = FormTextCells::width(units) * cell.width();
        const int left = rect.left() + (rect.width() - width) / 2;
        for (const FormTextCells::Glyph& glyph : FormTextCells::layout(units)) {
            painter.drawText(QPoint(left + glyph.column * cell.width(), top + ascent),
                             line.mid(static_cast<qsizetype>(glyph.offset),
                                      static_cast<qsizetype>(glyph.units)));
        }
        top += cell.height();
    }
    painter.restore();
}

} // namespace halden
