#include "packsetup/qt/QtFolderChooser.h"

#include <QFileDialog>
#include <QStandardPaths>

namespace halden {

FolderChooser::Choice QtFolderChooser::chooseFolder(std::string_view title) {
    const QString folder = QFileDialog::getExistingDirectory(
        &owner_, QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        QFileDialog::ShowDirsOnly);
    // The dialog gives local folders only; an empty answer is its cancel.
    if (folder.isEmpty()) {
        return {Choice::Kind::Cancelled, {}};
    }
    return {Choice::Kind::Chosen, folder.toStdString()};
}

} // namespace halden
