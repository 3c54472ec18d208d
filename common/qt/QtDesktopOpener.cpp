#include "common/qt/QtDesktopOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace halden {

bool QtDesktopOpener::open(const std::string& pathOrUrl) {
    const QString text = QString::fromStdString(pathOrUrl);
    const QUrl url(text);
    const bool address = url.isValid() && url.scheme().size() > 1;
    return QDesktopServices::openUrl(address ? url : QUrl::fromLocalFile(text));
}

} // namespace halden
