#include "packsetup/SetupAboutDialog.h"

#include "common/qt/DialogBuilder.h"
#include "packsetup/SetupDialogTemplate.h"
#include "packsetup/SetupImages.h"

#include <QIcon>
#include <QPushButton>

namespace halden {

SetupAboutDialog::SetupAboutDialog(QWidget* parent) : QDialog(parent) {
    SetupImages::registerOnce();
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    DialogBuilder::build(*this, SetupDialogTemplate::makeAbout());
    setWindowIcon(QIcon(SetupDialogTemplate::kIcon));
    findChild<QPushButton*>("1")->setDefault(true);
}

} // namespace halden
