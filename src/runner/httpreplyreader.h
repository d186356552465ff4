#pragma once

#include "httpreply.h"

#include <QByteArray>

// Reads an HTTP reply from bytes as they arrive: the status line (passing
// over 100 Continue), the header lines, then the body, which is counted and
// dropped, never kept. Lines longer than we care for are cut, never held whole.
class HttpReplyReader
{
public:
    // Takes the next bytes of the connection.
    void feed(const char *data, qsizetype size);
    void feed(const QByteArray &bytes) { feed(bytes.constData(), bytes.size()); }
    // The server closed the connection.
    void endOfStream();

    // A final head (not 100 Continue) has been read.
    bool hasHead() const { return m_phase > HeaderLines; }
    // The reply is complete: its body read to its end, or ended by the close.
    bool finished() const { return m_phase == Done; }
    // The connection ended before a final head.
    bool closedBeforeHead() const { return m_closed && !hasHead(); }
    const HttpReplyHead &head() const { return m_head; }

    static constexpr qsizetype kLongestLine = 8192;

private:
    enum Phase { StatusLine, HeaderLines, ChunkSize, ChunkData, ChunkEnd, Trailers, Counted, UntilClose, Done };
    // Collects a line; true when it is complete (its line end dropped).
    bool takeLine(const char *&data, const char *end);
    void onLine();
    void startBody();

    Phase m_phase = StatusLine;
    HttpReplyHead m_head;
    QByteArray m_line;
    qint64 m_left = 0;
    bool m_closed = false;
};
