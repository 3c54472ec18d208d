#include "programmer/app/BusyCursorDownloader.h"

#include <QCursor>
#include <QGuiApplication>

namespace halden {

namespace {

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

WebDownloader::Result BusyCursorDownloader::download(const std::string& url,
                                                     const std::string& filePath,
                                                     std::chrono::milliseconds limit) {
    const BusyCursor busy;
    return downloader_.download(url, filePath, limit);
}

} // namespace halden
