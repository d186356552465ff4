#include "instancerequests.h"

#include "platform/platform.h"

#include <QLocalSocket>
#include <QTimer>

namespace {

const QByteArrayView kVerbsWithEntry[] = {"run-now", "pause", "resume", "stop"};

} // namespace

InstanceRequests::InstanceRequests(Answerer answer, QObject *parent)
    : QObject(parent), m_answer(std::move(answer))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server.nextPendingConnection())
            take(peer);
    });
}

bool InstanceRequests::listen(const QString &path)
{
    // Only this user can reach the folder; the socket itself says so too.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    // The single-instance lock is held: a socket already there is a dead one's.
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

std::optional<InstanceRequest> InstanceRequests::parse(QByteArrayView line)
{
    if (line == "show")
        return InstanceRequest{QByteArray("show")};
    const qsizetype blank = line.indexOf(' ');
    if (blank <= 0 || blank + 1 >= line.size())
        return std::nullopt;
    const QByteArrayView verb = line.first(blank);
    const QByteArray entry = line.sliced(blank + 1).toByteArray();
    // Names are typed text: valid UTF-8 without control characters.
    const QString text = QString::fromUtf8(entry);
    if (text.toUtf8() != entry || text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return std::nullopt;
    }
    for (const QByteArrayView known : kVerbsWithEntry) {
        if (verb == known)
            return InstanceRequest{verb.toByteArray(), text};
    }
    return std::nullopt;
}

QByteArray InstanceRequests::lineOf(const InstanceRequest &request)
{
    QByteArray line = request.verb;
    if (!request.entry.isEmpty())
        line += ' ' + request.entry.toUtf8();
    return line + '\n';
}

std::optional<QByteArray> InstanceRequests::ask(const QString &path, const InstanceRequest &request,
                                                int timeoutMs)
{
    if (path.isEmpty())
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(lineOf(request));
    if (!socket.waitForBytesWritten(timeoutMs) && socket.bytesToWrite() > 0)
        return std::nullopt;
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() <= kMostBytes) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(timeoutMs))
            break;
        answer += socket.read(kMostBytes + 1 - answer.size());
    }
    const qsizetype end = answer.indexOf('\n');
    if (end < 0)
        return std::nullopt;
    return answer.first(end);
}

bool InstanceRequests::askToShow(const QString &path, int timeoutMs)
{
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(lineOf({QByteArray("show")}));
    const bool sent = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

void InstanceRequests::take(QLocalSocket *peer)
{
    peer->setParent(this);
    // The folder already keeps other users out; the peer's own word is checked too.
    if (m_peers >= kMaxPeers || !Platform::localPeerIsOwnUser(peer->socketDescriptor())) {
        peer->abort();
        peer->deleteLater();
        return;
    }
    ++m_peers;
    connect(peer, &QObject::destroyed, this, [this] { --m_peers; });
    connect(peer, &QLocalSocket::readyRead, this, [this, peer] { read(peer); });
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    QTimer::singleShot(kPeerTimeoutMs, peer, [peer] {
        peer->abort();
        peer->deleteLater();
    });
    // The request may have come with the connection.
    if (peer->bytesAvailable() > 0)
        read(peer);
}

void InstanceRequests::read(QLocalSocket *peer)
{
    const QByteArray pending = peer->peek(kMostBytes + 1);
    const qsizetype end = pending.indexOf('\n');
    if (end < 0) {
        // Too long to be a request: dropped unheard.
        if (pending.size() > kMostBytes) {
            disconnect(peer, &QLocalSocket::readyRead, this, nullptr);
            peer->abort();
            peer->deleteLater();
        }
        return;
    }
    peer->read(end + 1);
    // One request a connection, answered or not.
    disconnect(peer, &QLocalSocket::readyRead, this, nullptr);
    const std::optional<InstanceRequest> request =
        peer->bytesAvailable() == 0 ? parse(QByteArrayView(pending).first(end)) : std::nullopt;
    const QByteArray answer = request ? m_answer(*request) : kRefused.toByteArray();
    peer->write(answer + '\n');
    peer->disconnectFromServer();
}
