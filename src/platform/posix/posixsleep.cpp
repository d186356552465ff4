#include "posixsleep.h"

#include <QDBusConnection>

namespace Posix {

SleepWatch::SleepWatch(std::function<void()> woke, QObject *parent)
    : QObject(parent), m_woke(std::move(woke))
{
    // Only logind's own signal: the name filters out anyone else sending it.
    QDBusConnection::systemBus().connect(QStringLiteral("org.freedesktop.login1"),
                                         QStringLiteral("/org/freedesktop/login1"),
                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                         QStringLiteral("PrepareForSleep"), this,
                                         SLOT(prepareForSleep(bool)));
}

void SleepWatch::prepareForSleep(bool sleeping)
{
    if (!sleeping && m_woke)
        m_woke();
}

} // namespace Posix
