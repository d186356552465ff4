#pragma once

#include <QObject>

#include <functional>
#include <sys/types.h>

class QSocketNotifier;
class QTimer;

namespace Posix {

// Reaps one child when it ends, and hands over its wait status. A pidfd wakes
// us exactly once; without one (an old kernel, no descriptor left) we ask
// once a second while the child runs. Deletes itself once the child is
// reaped, or with `context`.
class ChildReaper : public QObject
{
public:
    ChildReaper(pid_t pid, QObject *context, std::function<void(int status)> ended);
    ~ChildReaper() override;

private:
    void poll();

    pid_t m_pid;
    int m_pidfd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_timer = nullptr;
    std::function<void(int)> m_ended;
};

} // namespace Posix
