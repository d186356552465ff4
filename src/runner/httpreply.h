#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the URL task keeps of a reply's head: the status and the three
// headers that decide the outcome and how the body ends.
struct HttpReplyHead
{
    QByteArray statusLine;
    int status = -1;
    bool hasLocation = false;
    bool chunked = false;
    std::optional<qint64> contentLength;

    // Takes one header line (without its line end).
    void addHeader(const QByteArray &line);

    bool isSuccess() const { return status >= 200 && status <= 299 && !hasLocation; }
    bool hasBody() const { return status != 204 && status != 304 && !(status >= 100 && status < 200); }
};

// The status code of a status line, -1 when it has none.
int parseStatusCode(const QByteArray &statusLine);

// A decimal length that fits in 63 bits, or nothing.
std::optional<qint64> parseContentLength(const QByteArray &text);

// The size of a chunk from its size line (hex digits, extensions after ';'),
// or nothing when it is not a size that fits in 63 bits.
std::optional<qint64> parseChunkSize(const QByteArray &line);
