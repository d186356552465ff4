#pragma once

#include <QByteArray>
#include <QString>

// A web address taken apart as the URL task needs it.
struct HttpAddress
{
    QString scheme;
    QString host;        // as written, brackets of an IPv6 literal included
    QString connectHost; // without the brackets
    int port = 80; // 443 for https when the address names none
    bool secure() const { return scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0; }
    QString target; // path and document, then query; never the fragment
};

// Backslashes become slashes; user name and password are dropped; the path
// is at least "/". A port that is not a number raises EConvertError.
HttpAddress parseHttpAddress(const QString &url);

// A host name that can go into the request head: not empty, and without
// blanks or control characters.
bool isPlausibleHost(const QString &host);

// The request line, the four headers in their order and the empty line.
// Only for an address whose host isPlausibleHost: the fixed text is then the
// only place of the head where a blank or a control character stands.
QByteArray buildHttpRequest(const HttpAddress &address);
