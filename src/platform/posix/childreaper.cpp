#include "childreaper.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace Posix {

namespace {

int g_childPipe[2] = {-1, -1};
struct sigaction g_previous {};

void onChild(int signal, siginfo_t *info, void *context)
{
    const int saved = errno;
    // One byte pending is enough: the reader looks at every child it watches.
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_childPipe[1], &byte, 1);
    errno = saved;
    // Whoever watched SIGCHLD before us (Qt's own process handling) still hears it.
    if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction)
        g_previous.sa_sigaction(signal, info, context);
    else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN &&
             g_previous.sa_handler)
        g_previous.sa_handler(signal);
}

struct Watched
{
    QPointer<QObject> context;
    std::function<void(int)> ended;
    bool reaped = false;
};

class ChildWatch : public QObject
{
public:
    static ChildWatch &instance()
    {
        static ChildWatch *watch = new ChildWatch;
        return *watch;
    }

    void add(pid_t pid, QObject *context, std::function<void(int)> ended)
    {
        m_children.insert(pid, {context, std::move(ended), false});
        // Ended before it was ours to watch: its signal came before we held
        // it. Told on the event loop all the same, as any end is.
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            // Reaped: a look at every child before the report comes must
            // not take it for one gone elsewhere.
            m_children[pid].reaped = true;
            QMetaObject::invokeMethod(this, [this, pid, status] { deliver(pid, status); },
                                      Qt::QueuedConnection);
        }
    }

    int count() const { return int(m_children.size()); }

private:
    // Lives as long as the process: a child may end at any time.
    ChildWatch()
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_childPipe) != 0)
            return;
        auto *notifier = new QSocketNotifier(g_childPipe[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &ChildWatch::reap);
        struct sigaction action {};
        action.sa_sigaction = onChild;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_NOCLDSTOP | SA_SIGINFO;
        sigaction(SIGCHLD, &action, &g_previous);
    }

    void reap()
    {
        char bytes[64];
        while (::read(g_childPipe[0], bytes, sizeof bytes) > 0) {
        }
        // Only the children we started: waitpid(-1) would take the status of
        // a process Qt started and waits for itself. The system names one
        // ended child at a time without reaping it; while that is one of
        // ours it is reaped at once, so thousands still running cost nothing
        // at each end. A child of someone else's means looking at each of ours.
        QList<std::pair<pid_t, int>> ended;
        for (;;) {
            siginfo_t info {};
            if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == 0)
                break;
            if (!m_children.contains(info.si_pid)) {
                ended += scanAll();
                break;
            }
            int status = 0;
            if (::waitpid(info.si_pid, &status, WNOHANG) != info.si_pid)
                break;
            ended.append({info.si_pid, status});
            // Told after the loop: a report may start more children.
            m_children[info.si_pid].reaped = true;
        }
        for (const auto &[pid, status] : ended)
            deliver(pid, status);
    }

    QList<std::pair<pid_t, int>> scanAll()
    {
        QList<std::pair<pid_t, int>> ended;
        for (auto it = m_children.begin(); it != m_children.end(); ++it) {
            if (it->reaped)
                continue;
            int status = 0;
            const pid_t result = ::waitpid(it.key(), &status, WNOHANG);
            if (result == it.key())
                ended.append({it.key(), status});
            else if (result < 0 && errno == ECHILD)
                ended.append({it.key(), -1});
        }
        return ended;
    }

    void deliver(pid_t pid, int status)
    {
        const auto it = m_children.constFind(pid);
        if (it == m_children.cend())
            return;
        const Watched watched = it.value();
        m_children.erase(it);
        // Gone without a status to read (reaped elsewhere): nothing to report.
        if (status >= 0 && watched.context && watched.ended)
            watched.ended(status);
    }

    QHash<pid_t, Watched> m_children;
};

} // namespace

void watchChild(pid_t pid, QObject *context, std::function<void(int status)> ended)
{
    ChildWatch::instance().add(pid, context, std::move(ended));
}

int watchedChildren()
{
    return ChildWatch::instance().count();
}

} // namespace Posix
