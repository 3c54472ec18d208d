#include "packsetup/qt/SetupAboutDialog.h"

#include "common/qt/DialogBuilder.h"
#include "packsetup/SetupDialogTemplate.h"
#include "packsetup/qt/SetupImages.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace halden {

SetupAboutDialog::SetupAboutDialog(QWidget* parent) : QDialog(parent) {
    SetupImages::registerOnce();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogBuilder::build(*this, SetupDialogTemplate::makeAbout());
    setWindowIcon(QIcon(SetupDialogTemplate::kIcon));
    // The icon as the system draws an icon control: at the large icon size.
    auto* icon = findChild<QLabel*>("bitmap");
    icon->setPixmap(
        QIcon(SetupDialogTemplate::kIcon).pixmap(icon->size().boundedTo(QSize(32, 32))));
    findChild<QPushButton*>("1")->setDefault(true);
}

} // namespace halden
