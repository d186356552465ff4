#include "httpreplyreader.h"

#include <algorithm>
#include <cstring>

bool HttpReplyReader::takeLine(const char *&data, const char *end)
{
    const char *newline = static_cast<const char *>(std::memchr(data, '\n', size_t(end - data)));
    const char *stop = newline ? newline : end;
    const qsizetype room = kLongestLine - m_line.size();
    if (room > 0)
        m_line.append(data, std::min<qsizetype>(room, stop - data));
    data = newline ? newline + 1 : end;
    if (!newline)
        return false;
    if (m_line.endsWith('\r'))
        m_line.chop(1);
    return true;
}

void HttpReplyReader::startBody()
{
    if (!m_head.hasBody())
        m_phase = Done;
    else if (m_head.chunked)
        m_phase = ChunkSize;
    else if (m_head.contentLength) {
        m_left = *m_head.contentLength;
        m_phase = m_left > 0 ? Counted : Done;
    } else
        m_phase = UntilClose;
}

void HttpReplyReader::onLine()
{
    const QByteArray line = std::exchange(m_line, QByteArray());
    switch (m_phase) {
    case StatusLine:
        m_head = HttpReplyHead();
        m_head.statusLine = line;
        m_head.status = parseStatusCode(line);
        m_phase = HeaderLines;
        break;
    case HeaderLines:
        if (!line.isEmpty()) {
            m_head.addHeader(line);
        } else if (m_head.status == 100) {
            m_phase = StatusLine;
        } else {
            startBody();
        }
        break;
    case ChunkSize: {
        const std::optional<qint64> size = parseChunkSize(line);
        // A size we cannot read ends the body: the reply was given all the same.
        if (!size)
            m_phase = Done;
        else if (*size == 0)
            m_phase = Trailers;
        else {
            m_left = *size;
            m_phase = ChunkData;
        }
        break;
    }
    case ChunkEnd:
        m_phase = ChunkSize;
        break;
    case Trailers:
        if (line.isEmpty())
            m_phase = Done;
        break;
    default:
        break;
    }
}

void HttpReplyReader::feed(const char *data, qsizetype size)
{
    const char *end = data + size;
    while (data < end && m_phase != Done) {
        switch (m_phase) {
        case Counted:
        case ChunkData: {
            const qint64 take = std::min<qint64>(m_left, end - data);
            data += take;
            m_left -= take;
            if (m_left == 0)
                m_phase = m_phase == Counted ? Done : ChunkEnd;
            break;
        }
        case UntilClose:
            data = end;
            break;
        default:
            if (takeLine(data, end))
                onLine();
            break;
        }
    }
}

void HttpReplyReader::endOfStream()
{
    m_closed = true;
    // A server that closes early, or that ends its body by closing, still answered.
    if (hasHead())
        m_phase = Done;
}
