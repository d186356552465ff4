// The whole client against a loopback server that answers with the input:
// whatever a server sends, the request ends once, with an outcome whose
// status line is clean, and nothing outlives it.
#include "runner/httpclient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz_client";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    application();
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    QTcpServer server;
    check(server.listen(QHostAddress::LocalHost));
    // The reply in two pieces, then the close: a cut in the middle of the head
    // or the body is part of what is tried.
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        QTcpSocket *peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer, reply] {
            peer->readAll();
            const qsizetype half = reply.size() / 2;
            peer->write(reply.left(half));
            peer->flush();
            peer->write(reply.mid(half));
            peer->disconnectFromHost();
        });
    });
    HttpClient::Limits limits;
    limits.connectMs = 1000;
    limits.readMs = 100;
    limits.failureBodyReadMs = 100;
    limits.wholeRequestMs = 1000;
    int outcomes = 0;
    QEventLoop loop;
    {
        HttpClient client(QStringLiteral("http://127.0.0.1:%1/x").arg(server.serverPort()), limits);
        QObject::connect(&client, &HttpClient::finished, &loop, [&](const HttpClient::Outcome &outcome) {
            ++outcomes;
            // A failure's message may be empty: an empty status line is the
            // status line as received (found by fuzzing, kept as it is).
            // A success says its status line, which starts as one does.
            check(!outcome.success || outcome.message.trimmed().startsWith(QLatin1String("HTTP/")));
            for (const QChar c : outcome.message) {
                // Our own two-line network texts hold CR LF; a status line holds no control.
                check(c.unicode() >= 0x20 || c == QLatin1Char('\r') || c == QLatin1Char('\n'));
            }
            check(outcome.message.size() <= 512);
            loop.quit();
        });
        client.start();
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        // Nothing more after the outcome.
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    check(outcomes == 1);
    return 0;
}
