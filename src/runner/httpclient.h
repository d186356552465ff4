#pragma once

#include "httpreplyreader.h"
#include "httprequest.h"

#include <QHostAddress>
#include <QSslCertificate>
#include <QSslError>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QTcpSocket;

// One HTTP GET on the event loop: name look-up, connection, request, reply
// read and thrown away. Nothing waits for it; `finished` tells the outcome.
// Many may be in flight at once.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        // Name look-up and connection together.
        int connectMs = 3200;
        int readMs = 3200;
        // Reading the body of a reply that already failed.
        int failureBodyReadMs = 2000;
        // A server that trickles or never stops sending must not hold the
        // request for good.
        int wholeRequestMs = 30000;
    };

    struct Outcome
    {
        bool success = false;
        QString message; // the failure's text, or the status line of a success
    };

    // Finds the addresses of a host name and hands them to `done` on the
    // event loop (none when the name is unknown); never once `context` is gone.
    using Resolver = std::function<void(const QString &host, QObject *context,
                                        std::function<void(const QList<QHostAddress> &)> done)>;
    static Resolver systemResolver();

    // A port that is not a number raises EConvertError here; every failure
    // of the exchange itself is an Outcome.
    HttpClient(const QString &url, const Limits &limits, QObject *parent = nullptr);
    ~HttpClient() override;

    void setResolver(Resolver resolver) { m_resolver = std::move(resolver); }
    // The authorities an https server's certificate must chain to; the
    // system's store when none are given. Tests trust an authority of theirs.
    void setCaCertificates(const QList<QSslCertificate> &certificates) { m_authorities = certificates; }
    // `finished` comes once, always from the event loop, never within this call.
    void start();

signals:
    void finished(const HttpClient::Outcome &outcome);

private:
    void connectNext();
    void onConnected();
    void onSslErrors(const QList<QSslError> &errors);
    void onReadyRead();
    void onSocketError();
    void onClosed();
    void judge();
    void fail(const QString &message);
    void finish(const Outcome &outcome);

    QString m_url;
    HttpAddress m_address;
    Limits m_limits;
    Resolver m_resolver;
    QList<QHostAddress> m_addresses;
    QList<QSslCertificate> m_authorities;
    QString m_certificateProblem;
    QTcpSocket *m_socket = nullptr;
    QTimer m_connectTimer;
    QTimer m_waitTimer;
    QTimer m_wholeTimer;
    HttpReplyReader m_reader;
    bool m_connected = false;
    bool m_done = false;
};

// A status line as the history and the journal may show it: the server's
// text is data, so control characters become blanks and it is cut at 256
// characters.
QString cleanStatusLine(const QByteArray &statusLine);
