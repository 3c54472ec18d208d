#include "programmer/form/qt/FormPicture.h"

#include "common/AtomicFile.h"
#include "programmer/form/qt/FormFont.h"
#include "programmer/form/qt/FormPage.h"

#include <QBuffer>
#include <QPainter>

namespace halden {

QImage FormPicture::render(const QString& text) {
    // A fresh font for the picture, as for a memory context of the screen; without
    // smoothing, so every pixel is ink or paper before the page becomes one bit deep.
    QFont font = FormFont::make(FormFont::screenDotsPerInch());
    font.setStyleStrategy(QFont::NoAntialias);
    QImage page(1, 1, QImage::Format_RGB32);
    const QSize cell = FormFont::cell(font, &page);
    page = QImage(FormPage::kColumns * cell.width(), FormPage::kRows * cell.height(),
                  QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.setBackgroundMode(Qt::TransparentMode);
        FormPage::draw(painter, text, page.rect(), FormPageRules::Device::Screen, cell);
    }
    return page.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
}

std::vector<std::uint8_t> FormPicture::bmpBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::string FormPicture::save(const std::string& path, const QString& text) {
    const auto bytes = bmpBytes(render(text));
    if (bytes.empty()) {
        return "the picture could not be encoded";
    }
    return AtomicFile::write(path, bytes);
}

} // namespace halden
