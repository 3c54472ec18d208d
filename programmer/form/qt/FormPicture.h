#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace halden {

// Save Picture: the form page as a black-and-white bitmap of 100 by 70 character cells
// of the page font made for the screen, with the screen's rules.
class FormPicture {
public:
    // One bit per pixel: white page, black rules and text.
    static QImage render(const QString& text);
    // The picture as a BMP file's bytes (1 bit per pixel, two-colour palette).
    static std::vector<std::uint8_t> bmpBytes(const QImage& picture);
    // Writes the BMP whole or not at all; empty on success, otherwise what went wrong.
    static std::string save(const std::string& path, const QString& text);
};

} // namespace halden
