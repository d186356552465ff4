#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

namespace Posix {

// The desktop's notification service (org.freedesktop.Notifications on the
// session bus): a notice with a default action that calls `activated` when
// the user clicks it; `unavailable` when no service takes it, asynchronously
// in both cases.
class DesktopNotices : public QObject
{
    Q_OBJECT
public:
    static DesktopNotices &instance();

    void post(const QString &summary, const QString &body, const QString &iconPath,
              std::function<void()> activated, std::function<void()> unavailable);

private slots:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    DesktopNotices();

    // The notices still on screen, the oldest forgotten past a few dozen.
    QHash<uint, std::function<void()>> m_shown;
    QList<uint> m_order;
};

} // namespace Posix
