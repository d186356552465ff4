#include "httpclient.h"

#include "socketerrortext.h"
#include "trustedauthorities.h"

#include <QHostInfo>
#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpSocket>

namespace {

const QString kReadTimeout = QStringLiteral("Délai de lecture");
const QString kConnectTimeout = QStringLiteral("Délai de connexion.");
const QString kWholeTimeout = QStringLiteral("Délai de la requête dépassé");

QString hostNotFound()
{
    return socketErrorText(QAbstractSocket::HostNotFoundError, QString());
}

} // namespace

QString cleanStatusLine(const QByteArray &statusLine)
{
    constexpr qsizetype kLongest = 256;
    QString text = QString::fromLatin1(statusLine.left(kLongest));
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    }
    return text;
}

HttpClient::Resolver HttpClient::systemResolver()
{
    return [](const QString &host, QObject *context,
              std::function<void(const QList<QHostAddress> &)> done) {
        // QHostInfo looks the name up on a thread of its own and answers on
        // the event loop: a slow name server holds nothing of ours.
        QHostInfo::lookupHost(host, context, [done](const QHostInfo &info) {
            done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
        });
    };
}

HttpClient::HttpClient(const QString &url, const Limits &limits, QObject *parent)
    : QObject(parent), m_url(url), m_address(parseHttpAddress(url)), m_limits(limits),
      m_resolver(systemResolver())
{
    for (QTimer *timer : {&m_connectTimer, &m_waitTimer, &m_wholeTimer})
        timer->setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] { fail(kConnectTimeout); });
    connect(&m_waitTimer, &QTimer::timeout, this, [this] { fail(kReadTimeout); });
    connect(&m_wholeTimer, &QTimer::timeout, this, [this] {
        fail(m_connected ? kWholeTimeout : kConnectTimeout);
    });
}

HttpClient::~HttpClient() = default;

void HttpClient::start()
{
    const QString scheme = m_address.scheme.toLower();
    // Without a TLS backend no secure transport is offered, as before.
    if (scheme == QLatin1String("https") && !QSslSocket::supportsSsl())
        return fail(QStringLiteral("Valeur IOHandler incorrecte"));
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return fail(QStringLiteral("Protocole inconnu."));
    // Blanks and control characters cannot be part of a host name: such an
    // address would put them into the request head.
    if (!isPlausibleHost(m_address.host))
        return fail(hostNotFound());

    m_wholeTimer.start(m_limits.wholeRequestMs);
    m_connectTimer.start(m_limits.connectMs);
    const QHostAddress literal(m_address.connectHost);
    if (!literal.isNull()) {
        m_addresses = {literal};
        connectNext();
        return;
    }
    m_resolver(m_address.connectHost, this, [this](const QList<QHostAddress> &addresses) {
        if (m_done)
            return;
        if (addresses.isEmpty())
            return fail(hostNotFound());
        m_addresses = addresses;
        connectNext();
    });
}

void HttpClient::connectNext()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
    }
    const QHostAddress address = m_addresses.takeFirst();
    if (m_address.secure()) {
        auto *secure = new QSslSocket(this);
        QSslConfiguration configuration = secure->sslConfiguration();
        configuration.setProtocol(QSsl::TlsV1_2OrLater);
        configuration.setPeerVerifyMode(QSslSocket::VerifyPeer);
        if (!m_authorities.isEmpty())
            configuration.setCaCertificates(m_authorities);
        else
            configuration.addCaCertificates(userTrustedAuthorities());
        secure->setSslConfiguration(configuration);
        // The request goes only once the certificate and the host name were
        // verified: the connection counts from the end of the handshake.
        connect(secure, &QSslSocket::encrypted, this, &HttpClient::onConnected);
        connect(secure, &QSslSocket::sslErrors, this, &HttpClient::onSslErrors);
        m_socket = secure;
    } else {
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &HttpClient::onConnected);
    }
    // No proxy: the connection goes straight to the host.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpClient::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HttpClient::onSocketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpClient::onClosed);
    if (auto *secure = qobject_cast<QSslSocket *>(m_socket))
        secure->connectToHostEncrypted(address.toString(), quint16(m_address.port), m_address.connectHost);
    else
        m_socket->connectToHost(address, quint16(m_address.port));
}

void HttpClient::onSslErrors(const QList<QSslError> &errors)
{
    // Not ignored: the handshake fails after this, and says why with these.
    if (!errors.isEmpty() && m_certificateProblem.isEmpty())
        m_certificateProblem = errors.first().errorString();
}

void HttpClient::onConnected()
{
    m_connected = true;
    m_connectTimer.stop();
    m_socket->write(buildHttpRequest(m_address));
    m_waitTimer.start(m_limits.readMs);
}

void HttpClient::onReadyRead()
{
    if (m_done)
        return;
    const bool hadHead = m_reader.hasHead();
    m_reader.feed(m_socket->readAll());
    // The body of a reply that already failed gets shorter waits.
    if (!hadHead && m_reader.hasHead() && !m_reader.head().isSuccess())
        m_waitTimer.setInterval(m_limits.failureBodyReadMs);
    if (m_reader.finished())
        return judge();
    m_waitTimer.start();
}

void HttpClient::onSocketError()
{
    if (m_done)
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    if (!m_connected) {
        if (!m_certificateProblem.isEmpty())
            return fail(QStringLiteral("Certificat non valide : ") + m_certificateProblem);
        // Refused for another reason than the certificate: no common protocol
        // version, a client certificate demanded, no TLS server at all.
        if (error == QAbstractSocket::SslHandshakeFailedError)
            return fail(QStringLiteral("Échec de la négociation TLS : ") + m_socket->errorString());
        // Another address of the host may answer where this one did not.
        if (!m_addresses.isEmpty())
            return connectNext();
        if (error == QAbstractSocket::SocketTimeoutError)
            return fail(kConnectTimeout);
        return fail(socketErrorText(error, m_socket->errorString()));
    }
    if (error == QAbstractSocket::RemoteHostClosedError)
        return onClosed();
    fail(socketErrorText(error, m_socket->errorString()));
}

void HttpClient::onClosed()
{
    if (m_done || !m_connected)
        return;
    m_reader.feed(m_socket->readAll());
    m_reader.endOfStream();
    if (m_reader.closedBeforeHead())
        return fail(QStringLiteral("La connexion s'est terminée proprement."));
    judge();
}

void HttpClient::judge()
{
    const HttpReplyHead &head = m_reader.head();
    if (head.isSuccess())
        finish({true, cleanStatusLine(head.statusLine)});
    else
        fail(cleanStatusLine(head.statusLine));
}

void HttpClient::fail(const QString &message)
{
    finish({false, message});
}

void HttpClient::finish(const Outcome &outcome)
{
    if (m_done)
        return;
    m_done = true;
    for (QTimer *timer : {&m_connectTimer, &m_waitTimer, &m_wholeTimer})
        timer->stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    // Always from the event loop, so that a caller inside a pass of the
    // schedule never sees an outcome before its call returns.
    QMetaObject::invokeMethod(
        this, [this, outcome] { emit finished(outcome); }, Qt::QueuedConnection);
}
