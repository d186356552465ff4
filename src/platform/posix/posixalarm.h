#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace Posix {

// A wake-up at a time of the wall clock: a timerfd on CLOCK_REALTIME armed
// at the time itself. A poll that waits most of a minute may return up to
// 60 ms late (the kernel's slack for long waits); the timer comes on time.
// Armed with TFD_TIMER_CANCEL_ON_SET, it also comes at once when the clock
// is set, forward or back, so that the caller looks at the minute anew.
class WallAlarm : public QObject
{
public:
    WallAlarm(std::function<void()> due, QObject *parent);
    ~WallAlarm() override;

    // False when the system gave no such timer.
    bool arm(qint64 msecsSinceEpoch);

private:
    void fired();

    std::function<void()> m_due;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace Posix
