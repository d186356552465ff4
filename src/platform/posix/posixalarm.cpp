#include "posixalarm.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace Posix {

WallAlarm::WallAlarm(std::function<void()> due, QObject *parent)
    : QObject(parent), m_due(std::move(due)),
      m_fd(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK))
{
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallAlarm::fired);
}

WallAlarm::~WallAlarm()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool WallAlarm::arm(qint64 msecsSinceEpoch)
{
    if (m_fd < 0)
        return false;
    itimerspec when{};
    when.it_value.tv_sec = time_t(msecsSinceEpoch / 1000);
    when.it_value.tv_nsec = long(msecsSinceEpoch % 1000) * 1000000L;
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) == 0;
}

void WallAlarm::fired()
{
    // The count of expiries, or ECANCELED when the clock was set: due either way.
    std::uint64_t expiries = 0;
    if (::read(m_fd, &expiries, sizeof expiries) < 0 && errno == EAGAIN)
        return;
    m_due();
}

} // namespace Posix
