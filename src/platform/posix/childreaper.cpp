#include "childreaper.h"

#include <QSocketNotifier>
#include <QTimer>

#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace Posix {

ChildReaper::ChildReaper(pid_t pid, QObject *context, std::function<void(int status)> ended)
    : QObject(context), m_pid(pid), m_ended(std::move(ended))
{
    m_pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (m_pidfd >= 0) {
        m_notifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ChildReaper::poll);
    } else {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &ChildReaper::poll);
        m_timer->start(1000);
    }
}

ChildReaper::~ChildReaper()
{
    if (m_pidfd >= 0)
        ::close(m_pidfd);
}

void ChildReaper::poll()
{
    int status = 0;
    const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
    if (result == 0)
        return;
    if (m_notifier)
        m_notifier->setEnabled(false);
    if (m_timer)
        m_timer->stop();
    deleteLater();
    // Gone without a status to read (reaped elsewhere): nothing to report.
    std::function<void(int)> ended = std::move(m_ended);
    if (result == m_pid && ended)
        ended(status);
}

} // namespace Posix
