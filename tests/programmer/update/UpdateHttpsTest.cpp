#include "common/DesktopOpener.h"
#include "common/Unicode.h"
#include "programmer/update/UpdateCheck.h"
#include "programmer/update/qt/QtWebDownloader.h"
#include "tests/programmer/update/LoopbackHttpServer.h"
#include "tests/support/MemorySettingsStore.h"
#include "tests/support/RecordingMessageService.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>

#include <gtest/gtest.h>

namespace halden {
namespace {

class NoDesktop : public DesktopOpener {
public:
    bool open(const std::string&) override { return true; }
};

// A certificate for 127.0.0.1 that only this test trusts, made by the openssl tool.
QSslConfiguration serverCertificate(const test::TempDir& dir, QSslCertificate& certificate) {
    const QString key = QString::fromStdString((dir / "server.key").string());
    const QString cert = QString::fromStdString((dir / "server.pem").string());
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                   "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                   "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        ADD_FAILURE() << "openssl: " << openssl.readAllStandardError().toStdString();
        return {};
    }
    QFile keyFile(key);
    QFile certFile(cert);
    keyFile.open(QIODevice::ReadOnly);
    certFile.open(QIODevice::ReadOnly);
    certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Ec, QSsl::Pem));
    return tls;
}

TEST(UpdateHttps, ReadsTheVersionFileFromAServerWithACertificateTrustedForThisTestOnly) {
    test::TempDir dir;
    QSslCertificate certificate;
    const QSslConfiguration tls = serverCertificate(dir, certificate);
    ASSERT_FALSE(certificate.isNull());
    test::LoopbackHttpServer server(tls);
    server.setReply({200, "[Jadeo_Tavro]\r\nVersion=1.13.0.1\r\n"});
    ASSERT_EQ(server.url().rfind("https://", 0), 0u);

    test::RecordingMessageService messages;
    test::MemorySettingsStore settings;
    settings.strings["Settings/UpdateServer"] = Unicode::toUtf16(server.url());
    NoDesktop desktop;
    QtWebDownloader trusting({certificate});
    UpdateCheck check({trusting, messages, settings, desktop},
                      VersionNumber::fromParts(1, 13, 0, 0));
    const auto outcome = check.run(UpdateCheck::Mode::Menu);
    EXPECT_EQ(outcome.failure, "");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].text.find("New version : 1.13.0.1"), std::string::npos);

    // Without that trust the certificate is refused, silently.
    messages.messages.clear();
    QtWebDownloader plain;
    UpdateCheck distrusting({plain, messages, settings, desktop},
                            VersionNumber::fromParts(1, 13, 0, 0));
    EXPECT_EQ(distrusting.run(UpdateCheck::Mode::Menu).result, WebDownloader::kSecureChannel);
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(server.requestCount(), 1u);
}

} // namespace
} // namespace halden
