#include "showrequests.h"

#include <QLocalSocket>
#include <QTimer>

ShowRequests::ShowRequests(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server.nextPendingConnection())
            take(peer);
    });
}

bool ShowRequests::listen(const QString &path)
{
    // Only this user can reach the folder; the socket itself says so too.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    // The single-instance lock is held: a socket already there is a dead one's.
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

bool ShowRequests::ask(const QString &path, int timeoutMs)
{
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRequest.data(), kRequest.size());
    const bool sent = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

void ShowRequests::take(QLocalSocket *peer)
{
    peer->setParent(this);
    if (m_peers >= kMaxPeers) {
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

void ShowRequests::read(QLocalSocket *peer)
{
    if (peer->bytesAvailable() < kRequest.size())
        return;
    const QByteArray said = peer->read(kRequest.size());
    const bool heard = said == kRequest && peer->bytesAvailable() == 0;
    // One request a connection, answered or not.
    disconnect(peer, &QLocalSocket::readyRead, this, nullptr);
    peer->abort();
    peer->deleteLater();
    if (heard)
        emit showWanted();
}
