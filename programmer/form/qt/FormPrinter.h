#pragma once

#include <QString>

class QPrinter;

namespace halden {

// Print: the form on one page of a document named "QPF", over the printer's whole
// resolution, with the printer's rules and the printer's page font.
class FormPrinter {
public:
    static constexpr const char* kDocumentName = "QPF";

    // False when the printer could not start the document.
    static bool print(QPrinter& printer, const QString& text);
};

} // namespace halden
