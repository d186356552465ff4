#pragma once

#include <QObject>

#include <functional>

namespace Posix {

// logind's notice of sleep and wake on the system bus: `woke` is called when
// the machine comes back from sleep. Where there is no system bus or no
// logind, nothing ever comes.
class SleepWatch : public QObject
{
    Q_OBJECT
public:
    SleepWatch(std::function<void()> woke, QObject *parent);

private slots:
    void prepareForSleep(bool sleeping);

private:
    std::function<void()> m_woke;
};

} // namespace Posix
