#pragma once

#include <QByteArray>
#include <QList>

#include <mutex>
#include <thread>

// A raw HTTP server on 127.0.0.1, in a thread of its own so that the client
// under test may block. It records the exact bytes of each request and then
// plays its script: send bytes, pause, close, or stay silent.
class ScriptedServer
{
public:
    struct Step
    {
        enum Kind { Send, Pause, Close } kind;
        QByteArray bytes;
        int ms = 0;
    };
    static Step send(const QByteArray &bytes) { return {Step::Send, bytes, 0}; }
    static Step pause(int ms) { return {Step::Pause, {}, ms}; }
    static Step close() { return {Step::Close, {}, 0}; }

    // The first connection is awaited for `acceptWithinMs`, then the server gives up.
    explicit ScriptedServer(QList<Step> script, int acceptWithinMs = 10000);
    ~ScriptedServer();

    quint16 port() const { return m_port; }
    // What the first connection sent, up to the end of its head.
    QByteArray received() const;

private:
    void run();

    QList<Step> m_script;
    int m_acceptWithinMs;
    quint16 m_port = 0;
    int m_listener = -1;
    mutable std::mutex m_mutex;
    QByteArray m_received;
    std::thread m_thread;
};
