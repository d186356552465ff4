#include "journal/eventrecorder.h"
#include "runner/httpclient.h"
#include "runner/urltask.h"
#include "httpexchange.h"
#include "recordlog.h"
#include "testprogramdir.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// Certificates made for the test by openssl: an authority the test trusts, a
// server certificate it signed for localhost, one self-signed, one for
// another host, one expired.
class Certificates
{
public:
    Certificates()
    {
        m_ok = run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.crt",
                    "-days", "2", "-subj", "/CN=Pendulix test authority"}) &&
               signedFor("good", "localhost", {}) && signedFor("other", "other.example", {}) &&
               signedFor("expired", "localhost", {"-startdate", "20200101000000Z", "-enddate", "20200102000000Z"}) &&
               run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "self.key", "-out", "self.crt",
                    "-days", "2", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1"});
    }
    bool ok() const { return m_ok; }
    QSslCertificate certificate(const QString &name) const
    {
        return QSslCertificate(m_dir.read(name + QStringLiteral(".crt")), QSsl::Pem);
    }
    QSslKey key(const QString &name) const
    {
        return QSslKey(m_dir.read(name + QStringLiteral(".key")), QSsl::Rsa, QSsl::Pem);
    }
    QString log() const { return m_log; }

private:
    bool run(const QStringList &arguments)
    {
        QProcess openssl;
        openssl.setWorkingDirectory(m_dir.path());
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"), arguments);
        const bool done = openssl.waitForFinished(30000) && openssl.exitCode() == 0;
        m_log += QString::fromLocal8Bit(openssl.readAll());
        return done;
    }
    // Signed by the test authority through `openssl ca`, which takes dates
    // in the past as well.
    bool signedFor(const QString &name, const QString &host, const QStringList &dates)
    {
        m_dir.write(QStringLiteral("index.txt"), "");
        if (!QFile::exists(m_dir.file(QStringLiteral("serial"))))
            m_dir.write(QStringLiteral("serial"), "1000\n");
        m_dir.write(QStringLiteral("ca.cnf"), "[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\n"
                                              "new_certs_dir = .\nserial = serial\ndefault_md = sha256\n"
                                              "policy = any\ncopy_extensions = copy\ndefault_days = 2\n"
                                              "unique_subject = no\n[any]\ncommonName = supplied\n");
        return run({"req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out", name + ".csr",
                    "-subj", "/CN=" + host, "-addext", "subjectAltName=DNS:" + host}) &&
               run(QStringList{"ca", "-batch", "-notext", "-config", "ca.cnf", "-cert", "ca.crt", "-keyfile",
                               "ca.key", "-in", name + ".csr", "-out", name + ".crt"} +
                   dates);
    }

    TestProgramDir m_dir;
    QString m_log;
    bool m_ok = false;
};

// A TLS server on 127.0.0.1 that answers every request with 200 and keeps
// what it was sent.
class TlsServer
{
public:
    TlsServer(const QSslCertificate &certificate, const QSslKey &key)
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificate);
        configuration.setPrivateKey(key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        m_server.setSslConfiguration(configuration);
        QObject::connect(&m_server, &QSslServer::pendingConnectionAvailable, &m_server, [this] {
            auto *socket = qobject_cast<QSslSocket *>(m_server.nextPendingConnection());
            QObject::connect(socket, &QSslSocket::readyRead, socket, [this, socket] {
                received += socket->readAll();
                if (received.contains("\r\n\r\n"))
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
            });
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    quint16 port() const { return m_server.serverPort(); }
    QByteArray received;

private:
    QSslServer m_server;
};

HttpClient::Outcome fetch(const QString &url, const QList<QSslCertificate> &authorities)
{
    HttpClient::Limits limits;
    limits.readMs = 2000;
    limits.wholeRequestMs = 8000;
    HttpClient client(url, limits);
    client.setCaCertificates(authorities);
    return HttpExchange::runToEnd(client, 15000);
}

} // namespace

class TestHttps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void verifiedServerGetsTheSameRequest();
    void certificateFailuresSendNothing_data();
    void certificateFailuresSendNothing();
    void recordedAsAnyWebAddress();
    void handshakeFailuresNamedTruly();
    void privateAuthorityFromTheEnvironment();

private:
    Certificates m_certificates;
};

void TestHttps::initTestCase()
{
    QVERIFY2(QSslSocket::supportsSsl(), "Qt's TLS backend (OpenSSL) is installed with Qt");
    QVERIFY2(m_certificates.ok(), qPrintable(m_certificates.log()));
}

void TestHttps::verifiedServerGetsTheSameRequest()
{
    TlsServer server(m_certificates.certificate(QStringLiteral("good")), m_certificates.key(QStringLiteral("good")));
    const QString url = QStringLiteral("https://localhost:%1/job.php?x=1#part").arg(server.port());
    const HttpClient::Outcome outcome = fetch(url, {m_certificates.certificate(QStringLiteral("ca"))});
    QVERIFY2(outcome.success, qPrintable(outcome.message));
    QCOMPARE(server.received, HttpExchange::expectedRequest(
                                  "/job.php?x=1", "localhost:" + QByteArray::number(server.port())));
}

void TestHttps::certificateFailuresSendNothing_data()
{
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<bool>("trustAuthority");
    QTest::newRow("self-signed") << "self" << true;
    QTest::newRow("another host") << "other" << true;
    QTest::newRow("expired") << "expired" << true;
    QTest::newRow("authority not trusted") << "good" << false;
}

void TestHttps::certificateFailuresSendNothing()
{
    QFETCH(QString, certificate);
    QFETCH(bool, trustAuthority);
    TlsServer server(m_certificates.certificate(certificate), m_certificates.key(certificate));
    // The system's store does not know the test authority either.
    const QList<QSslCertificate> authorities =
        trustAuthority ? QList<QSslCertificate>{m_certificates.certificate(QStringLiteral("ca"))}
                       : QList<QSslCertificate>{m_certificates.certificate(QStringLiteral("self"))};
    const HttpClient::Outcome outcome =
        fetch(QStringLiteral("https://localhost:%1/").arg(server.port()), authorities);
    QVERIFY(!outcome.success);
    QVERIFY2(outcome.message.startsWith(QStringLiteral("Certificat non valide : ")), qPrintable(outcome.message));
    QVERIFY(outcome.message.size() > QStringLiteral("Certificat non valide : ").size());
    QVERIFY(server.received.isEmpty());
}

void TestHttps::recordedAsAnyWebAddress()
{
    TestProgramDir dir;
    EventRecorder events(dir.path(), [] { return QDateTime(QDate(2026, 12, 8), QTime(3, 0, 1)); },
                         testTimeText);
    RecordLog record(&events);
    TlsServer server(m_certificates.certificate(QStringLiteral("self")), m_certificates.key(QStringLiteral("self")));
    const QString url = QStringLiteral("https://localhost:%1/").arg(server.port());
    http(events, url, nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(record.rows().size(), 1, 15000);
    QVERIFY2(record.rows().first().startsWith(QStringLiteral("03:00:01 Certificat non valide : ")), qPrintable(record.rows().first()));
    QVERIFY(record.rows().first().endsWith("|" + url));
    QVERIFY(dir.read(QStringLiteral("20261208.log")).startsWith("03:00:01 Certificat non valide : "));
}

void TestHttps::handshakeFailuresNamedTruly()
{
    // No TLS server at the address, one that answers in plain text at once:
    // nothing about a certificate went wrong.
    QTcpServer plain;
    QVERIFY(plain.listen(QHostAddress::LocalHost));
    connect(&plain, &QTcpServer::newConnection, &plain, [&plain] {
        QTcpSocket *peer = plain.nextPendingConnection();
        peer->write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
        peer->disconnectFromHost();
    });
    const HttpClient::Outcome outcome =
        fetch(QStringLiteral("https://127.0.0.1:%1/").arg(plain.serverPort()), {});
    QVERIFY(!outcome.success);
    QVERIFY2(outcome.message.startsWith(QStringLiteral("Échec de la négociation TLS : ")), qPrintable(outcome.message));
    QVERIFY(outcome.message.size() > QStringLiteral("Échec de la négociation TLS : ").size());
}

void TestHttps::privateAuthorityFromTheEnvironment()
{
    TlsServer server(m_certificates.certificate(QStringLiteral("good")), m_certificates.key(QStringLiteral("good")));
    const QString url = QStringLiteral("https://localhost:%1/").arg(server.port());
    // The system's store alone does not know the test's authority.
    QVERIFY(!fetch(url, {}).success);
    TestProgramDir folder;
    folder.write(QStringLiteral("private-ca.pem"), m_certificates.certificate(QStringLiteral("ca")).toPem());
    for (const char *variable : {"SSL_CERT_FILE", "SSL_CERT_DIR"}) {
        qputenv(variable, QFile::encodeName(qstrcmp(variable, "SSL_CERT_FILE") == 0
                                                ? folder.file(QStringLiteral("private-ca.pem"))
                                                : folder.path()));
        const HttpClient::Outcome outcome = fetch(url, {});
        qunsetenv(variable);
        QVERIFY2(outcome.success, qPrintable(QLatin1String(variable) + QLatin1Char(' ') + outcome.message));
    }
    QVERIFY(!fetch(url, {}).success);
}

QTEST_GUILESS_MAIN(TestHttps)
#include "tst_https.moc"
