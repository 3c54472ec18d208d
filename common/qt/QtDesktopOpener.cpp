#include "QtDesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace halden {

bool QtDesktopOpener::open(const std::string& pathOrUrl) {
    const QString text = QString::fromStdString(pathOrUrl);
    const QUrl url = text.contains("://") ? QUrl(text) : QUrl::fromLocalFile(text);
    return QDesktopServices::openUrl(url);
}

} // namespace halden
