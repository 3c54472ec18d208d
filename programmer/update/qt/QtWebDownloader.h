#pragma once

#include "programmer/update/WebDownloader.h"

#include <QList>
#include <QSslCertificate>

namespace halden {

// Downloads through Qt Network as the update check needs it: straight to the server (no
// proxy), nothing taken from or put into a cache, user agent "Vesk32Agent", at most
// 64 KiB. It waits in a local event loop that leaves out user input, so the windows
// repaint but take no clicks meanwhile.
class QtWebDownloader : public WebDownloader {
public:
    static constexpr qint64 kMaxBytes = 64 * 1024;
    static constexpr const char* kUserAgent = "Vesk32Agent";

    // extraTrusted: certificates trusted besides the system's, for this downloader only
    // (a test's own server).
    explicit QtWebDownloader(QList<QSslCertificate> extraTrusted = {})
        : extraTrusted_(std::move(extraTrusted)) {}

    Result download(const std::string& url, const std::string& filePath,
                    std::chrono::milliseconds limit) override;

private:
    QList<QSslCertificate> extraTrusted_;
};

} // namespace halden
