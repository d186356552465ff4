#pragma once

#include <QByteArray>
#include <QString>

// A web address taken apart as the URL task needs it.
struct HttpAddress
{
    QString scheme;
    QString host;        // as written, brackets of an IPv6 literal included
    QString connectHost; // without the brackets
    int port = 80;
    QString target; // path and document, then query; never the fragment
};

// Backslashes become slashes; user name and password are dropped; the path
// is at least "/". A port that is not a number raises EConvertError.
HttpAddress parseHttpAddress(const QString &url);

// The request line, the four headers in their order and the empty line.
QByteArray buildHttpRequest(const HttpAddress &address);
