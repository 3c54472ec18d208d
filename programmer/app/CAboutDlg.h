#pragma once

#include <QDialog>

namespace halden {

class UiText;

// The About box (template 100).
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 100;
    static constexpr int kVersionLine = 1085;
    // The system menu entry and the caption, in Traditional Chinese as the product ships them.
    static const char16_t* const kMenuText;
    static const char16_t* const kCaption;

    CAboutDlg(const UiText& text, QWidget* parent = nullptr);
};

} // namespace halden
