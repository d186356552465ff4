#include "httpreply.h"

#include <QList>

int parseStatusCode(const QByteArray &statusLine)
{
    const QList<QByteArray> parts = statusLine.simplified().split(' ');
    if (parts.size() < 2 || !parts.at(0).startsWith("HTTP/") || parts.at(1).size() != 3)
        return -1;
    bool ok = false;
    const int code = parts.at(1).toInt(&ok);
    return ok && code >= 100 ? code : -1;
}

std::optional<qint64> parseContentLength(const QByteArray &text)
{
    const QByteArray digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<qint64> parseChunkSize(const QByteArray &line)
{
    QByteArray digits = line;
    const qsizetype extension = digits.indexOf(';');
    if (extension >= 0)
        digits.truncate(extension);
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 15)
        return std::nullopt;
    bool ok = false;
    const qint64 size = digits.toLongLong(&ok, 16);
    return ok && size >= 0 ? std::optional<qint64>(size) : std::nullopt;
}

void HttpReplyHead::addHeader(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return;
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "location")
        hasLocation = true;
    else if (name == "transfer-encoding")
        chunked = chunked || value.toLower().contains("chunked");
    else if (name == "content-length")
        contentLength = parseContentLength(value);
}
