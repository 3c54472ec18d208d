#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace halden {

// The form's printed page as a PDF document: one page of a document named "QPF", drawn
// as the printer draws it (the printer's rules, the page font at the document's
// resolution). `halden form --pdf` and the form list dialog write the same page.
class FormPdf {
public:
    static constexpr int kDotsPerInch = 1200;

    // The whole document; empty when it could not be drawn.
    static std::vector<std::uint8_t> bytes(const QString& text);
    // Writes the document whole or not at all, as every output is written: empty on
    // success, otherwise what went wrong (the file is left as it was).
    static std::string save(const std::string& path, const QString& text);
};

} // namespace halden
