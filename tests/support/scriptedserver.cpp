#include "scriptedserver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

// Plain sockets rather than QTcpServer: the server must not share anything
// with the event dispatcher of the thread under test.
ScriptedServer::ScriptedServer(QList<Step> script, int acceptWithinMs)
    : m_script(std::move(script)), m_acceptWithinMs(acceptWithinMs)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(m_listener, 4);
    socklen_t length = sizeof address;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer()
{
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
}

QByteArray ScriptedServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

void ScriptedServer::run()
{
    pollfd waiting{m_listener, POLLIN, 0};
    // Bounded: a test that never connects must not hang the suite.
    if (::poll(&waiting, 1, m_acceptWithinMs) <= 0)
        return;
    const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0)
        return;
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n")) {
        pollfd readable{connection, POLLIN, 0};
        if (::poll(&readable, 1, 5000) <= 0)
            break;
        const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        head.append(buffer, n);
    }
    {
        std::lock_guard lock(m_mutex);
        m_received = head;
    }
    bool open = true;
    for (const Step &step : m_script) {
        if (step.kind == Step::Send) {
            // The client gave up: the rest of the script has no one to play to.
            if (::send(connection, step.bytes.constData(), size_t(step.bytes.size()), MSG_NOSIGNAL) < 0)
                break;
        } else if (step.kind == Step::Pause) {
            std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
        } else {
            ::close(connection);
            open = false;
            break;
        }
    }
    if (open) {
        // Stay silent until the client gives up and closes.
        pollfd closing{connection, POLLIN, 0};
        while (::poll(&closing, 1, 10000) > 0 && ::recv(connection, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(connection);
    }
}
