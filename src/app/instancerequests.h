#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

// The one thing a second start may ask of the running instance: show its
// window. The channel is a local socket in the user's private folder; a peer
// that says anything else, too much or too slowly is dropped unheard.
class ShowRequests : public QObject
{
    Q_OBJECT
public:
    static constexpr QByteArrayView kRequest = "show\n";
    static constexpr int kMaxPeers = 8;
    static constexpr int kPeerTimeoutMs = 2000;

    explicit ShowRequests(QObject *parent = nullptr);

    // Listens at path, taking over a socket a crashed instance left; false
    // with the reason in errorString() when that cannot be done.
    bool listen(const QString &path);
    QString errorString() const { return m_server.errorString(); }

    // From the second start, which has no event loop: asks whoever listens at
    // path to show its window, waiting at most timeoutMs. True when it was sent.
    static bool ask(const QString &path, int timeoutMs = kPeerTimeoutMs);

signals:
    void showWanted();

private:
    void take(QLocalSocket *peer);
    void read(QLocalSocket *peer);

    QLocalServer m_server;
    int m_peers = 0;
};
