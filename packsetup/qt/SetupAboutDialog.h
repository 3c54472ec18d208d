#pragma once

#include <QDialog>

namespace halden {

// The About box (template 100): icon, version, owner line, OK.
class SetupAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit SetupAboutDialog(QWidget* parent = nullptr);
};

} // namespace halden
