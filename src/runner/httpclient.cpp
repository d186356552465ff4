#include "httpclient.h"

#include "httpreply.h"
#include "httprequest.h"
#include "socketerrortext.h"

#include <QDeadlineTimer>
#include <QNetworkProxy>
#include <QTcpSocket>

namespace {

// Ends the exchange with a failure message.
struct Failure
{
    QString message;
};

// The server closed the connection (gracefully or not) while we read.
struct Closed
{
};

const QString kReadTimeout = QStringLiteral("Délai de lecture");

// Reads from a connected socket with a limit per wait and a deadline for the
// whole request. Lines longer than we care for are cut, never held whole.
class Reader
{
public:
    Reader(QTcpSocket &socket, const QDeadlineTimer &deadline)
        : m_socket(socket), m_deadline(deadline)
    {
    }

    void setWaitMs(int waitMs) { m_waitMs = waitMs; }

    QByteArray readLine()
    {
        constexpr qsizetype kKeep = 8192;
        QByteArray line;
        for (;;) {
            waitForData();
            char c;
            while (m_socket.getChar(&c)) {
                if (c == '\n') {
                    if (line.endsWith('\r'))
                        line.chop(1);
                    return line;
                }
                if (line.size() < kKeep)
                    line.append(c);
            }
        }
    }

    // Reads and drops `count` bytes, or everything up to the close when count is empty.
    void discard(std::optional<qint64> count)
    {
        char buffer[16384];
        qint64 left = count.value_or(-1);
        while (left != 0) {
            waitForData();
            const qint64 wanted = left < 0 ? qint64(sizeof buffer) : qMin<qint64>(left, sizeof buffer);
            const qint64 n = m_socket.read(buffer, wanted);
            if (n > 0 && left > 0)
                left -= n;
        }
    }

private:
    void waitForData()
    {
        if (m_socket.bytesAvailable() > 0)
            return;
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            throw Closed();
        const qint64 remaining = m_deadline.remainingTime();
        if (remaining == 0)
            throw Failure{kReadTimeout};
        if (m_socket.waitForReadyRead(int(qMin<qint64>(m_waitMs, remaining))))
            return;
        if (m_socket.error() == QAbstractSocket::SocketTimeoutError)
            throw Failure{kReadTimeout};
        if (m_socket.error() == QAbstractSocket::RemoteHostClosedError ||
            m_socket.state() != QAbstractSocket::ConnectedState)
            throw Closed();
        throw Failure{socketErrorText(m_socket.error(), m_socket.errorString())};
    }

    QTcpSocket &m_socket;
    const QDeadlineTimer &m_deadline;
    int m_waitMs = 3200;
};

HttpReplyHead readHead(Reader &reader)
{
    for (;;) {
        HttpReplyHead head;
        try {
            head.statusLine = reader.readLine();
            head.status = parseStatusCode(head.statusLine);
            for (QByteArray line = reader.readLine(); !line.isEmpty(); line = reader.readLine())
                head.addHeader(line);
        } catch (const Closed &) {
            throw Failure{QStringLiteral("La connexion s'est terminée proprement.")};
        }
        if (head.status != 100)
            return head;
    }
}

void readBody(Reader &reader, const HttpReplyHead &head)
{
    if (!head.hasBody())
        return;
    try {
        if (head.chunked) {
            for (;;) {
                const std::optional<qint64> size = parseChunkSize(reader.readLine());
                // A size we cannot read ends the body: the reply was a success.
                if (!size)
                    return;
                if (*size == 0)
                    break;
                reader.discard(*size);
                reader.readLine();
            }
            // Trailer lines up to the empty line.
            for (QByteArray line = reader.readLine(); !line.isEmpty(); line = reader.readLine()) {
            }
        } else {
            reader.discard(head.contentLength);
        }
    } catch (const Closed &) {
        // A server that closes early, or that ends its body by closing, still answered.
    }
}

HttpClient::Outcome exchange(QTcpSocket &socket, const HttpAddress &address,
                             const HttpClient::Limits &limits)
{
    const QDeadlineTimer deadline(limits.wholeRequestMs);
    // No proxy: the connection goes straight to the host.
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.connectToHost(address.connectHost, quint16(address.port));
    if (!socket.waitForConnected(int(qMin<qint64>(limits.connectMs, deadline.remainingTime())))) {
        if (socket.error() == QAbstractSocket::SocketTimeoutError ||
            socket.state() != QAbstractSocket::UnconnectedState ||
            socket.error() == QAbstractSocket::UnknownSocketError)
            throw Failure{QStringLiteral("Délai de connexion.")};
        throw Failure{socketErrorText(socket.error(), socket.errorString())};
    }
    const QByteArray request = buildHttpRequest(address);
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(qMin<qint64>(limits.readMs, deadline.remainingTime()))))
            break;
    }

    Reader reader(socket, deadline);
    reader.setWaitMs(limits.readMs);
    const HttpReplyHead head = readHead(reader);
    if (head.isSuccess()) {
        readBody(reader, head);
        return {true, QString()};
    }
    reader.setWaitMs(limits.failureBodyReadMs);
    readBody(reader, head);
    return {false, QString::fromLatin1(head.statusLine)};
}

} // namespace

HttpClient::Outcome HttpClient::get(const QString &url, const Limits &limits)
{
    const HttpAddress address = parseHttpAddress(url);
    const QString scheme = address.scheme.toLower();
    if (scheme == QLatin1String("https"))
        return {false, QStringLiteral("Valeur IOHandler incorrecte")};
    if (scheme != QLatin1String("http"))
        return {false, QStringLiteral("Protocole inconnu.")};
    QTcpSocket socket;
    try {
        return exchange(socket, address, limits);
    } catch (const Failure &failure) {
        socket.abort();
        return {false, failure.message};
    }
}
