#pragma once

#include "runner/httpclient.h"

#include <QEventLoop>
#include <QTimer>

#include <optional>

// What the HTTP client tests share: one request run to its end on the event
// loop, as the program runs it, and the request head the program sends.
namespace HttpExchange {

// The client bounds itself; `boundMs` only keeps a broken one from hanging
// the suite.
inline HttpClient::Outcome runToEnd(HttpClient &client, int boundMs)
{
    std::optional<HttpClient::Outcome> outcome;
    QEventLoop loop;
    QObject::connect(&client, &HttpClient::finished, &loop, [&](const HttpClient::Outcome &o) {
        outcome = o;
        loop.quit();
    });
    client.start();
    QTimer::singleShot(boundMs, &loop, &QEventLoop::quit);
    loop.exec();
    return outcome.value_or(HttpClient::Outcome{false, QStringLiteral("no outcome")});
}

inline QByteArray expectedRequest(const QByteArray &target, const QByteArray &host)
{
    return "GET " + target + " HTTP/1.1\r\n"
           "Content-Type: text/html\r\n"
           "Host: " + host + "\r\n"
           "Accept: text/html, */*\r\n"
           "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
           "\r\n";
}

} // namespace HttpExchange
