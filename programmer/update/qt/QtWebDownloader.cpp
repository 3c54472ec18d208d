#include "programmer/update/qt/QtWebDownloader.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>

namespace halden {

namespace {

WebDownloader::Result failed(std::uint32_t code, const QString& what) {
    return {code, what.toStdString()};
}

std::uint32_t codeOf(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return WebDownloader::kCannotConnect;
    case QNetworkReply::RemoteHostClosedError:
        return WebDownloader::kConnectionAborted;
    case QNetworkReply::HostNotFoundError:
        return WebDownloader::kNameNotResolved;
    case QNetworkReply::TimeoutError:
        return WebDownloader::kTimeout;
    case QNetworkReply::SslHandshakeFailedError:
        return WebDownloader::kSecureChannel;
    case QNetworkReply::ProtocolUnknownError:
        return WebDownloader::kUnrecognisedScheme;
    default:
        break;
    }
    if (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownServerError) {
        return WebDownloader::kBadServerResponse;
    }
    return WebDownloader::kInternalError;
}

QNetworkRequest requestFor(const QUrl& url, const QList<QSslCertificate>& extraTrusted) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QtWebDownloader::kUserAgent);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    if (!extraTrusted.isEmpty()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(extraTrusted);
        request.setSslConfiguration(ssl);
    }
    return request;
}

} // namespace

WebDownloader::Result QtWebDownloader::download(const std::string& url, const std::string& filePath,
                                                std::chrono::milliseconds limit) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || (address.scheme() != "http" && address.scheme() != "https")) {
        return failed(kUnrecognisedScheme, "not an http or https address");
    }
    QFile file(QString::fromStdString(filePath));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failed(kOpenFailed, "cannot write " + file.fileName() + ": " + file.errorString());
    }

    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkReply* reply = manager.get(requestFor(address, extraTrusted_));

    bool timedOut = false;
    bool tooLarge = false;
    bool writeFailed = false;
    qint64 received = 0;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaxBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    const auto take = [&] {
        if (!reply->isOpen() || tooLarge || writeFailed) {
            return;
        }
        const QByteArray bytes = reply->readAll();
        if (bytes.isEmpty()) {
            return;
        }
        received += bytes.size();
        if (received > kMaxBytes) {
            tooLarge = true;
            reply->abort();
        } else if (file.write(bytes) != bytes.size()) {
            writeFailed = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(limit);
    if (!reply->isFinished()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();
    if (!timedOut) {
        take();
    }

    const QNetworkReply::NetworkError error = reply->error();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString errorText = reply->errorString();
    if (!file.flush()) {
        writeFailed = true;
    }
    file.close();
    if (timedOut) {
        return failed(kTimeout, QString("no complete answer within %1 ms").arg(limit.count()));
    }
    if (tooLarge) {
        return failed(kTooLarge, QString("the answer is larger than %1 bytes").arg(kMaxBytes));
    }
    if (writeFailed) {
        return failed(kWriteFault, "cannot write " + file.fileName());
    }
    if (error != QNetworkReply::NoError) {
        return failed(codeOf(error), errorText);
    }
    if (status < 200 || status > 299) {
        return failed(kBadServerResponse, QString("HTTP status %1").arg(status));
    }
    if (received == 0) {
        return failed(kNoData, "the answer is empty");
    }
    return {};
}

} // namespace halden
