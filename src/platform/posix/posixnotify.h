#pragma once

#include <QDBusServiceWatcher>
#include <QHash>
#include <QList>
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

    // `body` is plain text: escaped where the service reads markup in it.
    // `showAction`: what the action that brings the window reads.
    void post(const QString &summary, const QString &body, const QString &showAction, const QString &iconPath,
              std::function<void()> activated, std::function<void()> unavailable);

private slots:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    struct Notice
    {
        QString summary, body, showAction, iconPath;
        std::function<void()> activated, unavailable;
    };
    DesktopNotices();
    // The service's capabilities, asked once for each service that comes.
    void askCapabilities();
    void send(Notice notice);

    enum class Markup { Unknown, Asking, Plain, Read } m_markup = Markup::Unknown;
    // Notices posted while the capabilities are asked; a few at most.
    QList<Notice> m_waiting;
    QDBusServiceWatcher m_watcher;

    // The notices still on screen, the oldest forgotten past a few dozen.
    QHash<uint, std::function<void()>> m_shown;
    QList<uint> m_order;
};

} // namespace Posix
