#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalSocket;

// One request of another start: "show", or an action on the entries that
// an entry's number or name picks.
struct InstanceRequest
{
    QByteArray verb; // "show", "run-now", "pause", "resume", "stop"
    QString entry = {}; // the number or the name; empty for "show"
};

// What another start of the same user may ask of the running instance: one
// line a connection, answered with one line. The channel is a local socket in
// the user's private folder; a peer of another user, or one that says too
// much, too slowly or anything else, is dropped with nothing done.
class InstanceRequests : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kMostBytes = 512;
    static constexpr int kMaxPeers = 8;
    static constexpr int kPeerTimeoutMs = 2000;
    // The answer to a line that is no request.
    static constexpr QByteArrayView kRefused = "refused";

    // `answer` does what a request asks and says how it went, in one line.
    using Answerer = std::function<QByteArray(const InstanceRequest &request)>;
    explicit InstanceRequests(Answerer answer, QObject *parent = nullptr);

    // Listens at path, taking over a socket a crashed instance left; false
    // with the reason in errorString() when that cannot be done.
    bool listen(const QString &path);
    QString errorString() const { return m_server.errorString(); }

    // The request a line says, without its line end; none for anything else.
    static std::optional<InstanceRequest> parse(QByteArrayView line);
    static QByteArray lineOf(const InstanceRequest &request);

    // From another start, which has no event loop: sends the request to
    // whoever listens at path and waits at most timeoutMs for each step. The
    // answer without its line end; none when nobody listens or answers.
    static std::optional<QByteArray> ask(const QString &path, const InstanceRequest &request,
                                         int timeoutMs = kPeerTimeoutMs);
    // A second start's way: the request sent without waiting for its answer.
    static bool askToShow(const QString &path, int timeoutMs = kPeerTimeoutMs);

private:
    void take(QLocalSocket *peer);
    void read(QLocalSocket *peer);

    Answerer m_answer;
    QLocalServer m_server;
    int m_peers = 0;
};
