#pragma once

#include "common/DialogTemplate.h"

#include <QFont>
#include <QString>

#include <functional>

class QWidget;

namespace halden {

// Creates a dialog's controls from its template, at the template's geometry in the
// dialog font's base units. A control gets its ID as object name, so it is found by ID.
class DialogBuilder {
public:
    // Makes the widget of a Custom control from its window class name.
    using CustomFactory = std::function<QWidget*(const std::string& className, QWidget* parent)>;

    static DialogUnits baseUnits(const QFont& font);
    static QString objectName(const DialogTemplate::Control& control);

    // Sets the dialog's font and fixed size and creates every control. Group boxes and
    // bitmaps stay below the controls they frame.
    static void build(QWidget& dialog, const DialogTemplate& dialogTemplate,
                      const CustomFactory& customFactory = {});
};

} // namespace halden
