#include "posixnotify.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace Posix {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kRemembered = 32;

} // namespace

DesktopNotices &DesktopNotices::instance()
{
    static DesktopNotices *notices = [] {
        auto *made = new DesktopNotices;
        made->setParent(QCoreApplication::instance());
        return made;
    }();
    return *notices;
}

DesktopNotices::DesktopNotices()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DesktopNotices::post(const QString &summary, const QString &body, const QString &iconPath,
                          std::function<void()> activated, std::function<void()> unavailable)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        unavailable();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("pendulix")},
                      {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << QStringLiteral("Pendulix") << uint(0) << iconPath << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Afficher")} << hints << int(-1);
    // Asynchronous: a service slow to answer never holds the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, activated = std::move(activated), unavailable = std::move(unavailable)](QDBusPendingCallWatcher *done) {
                done->deleteLater();
                const QDBusPendingReply<uint> reply = *done;
                if (reply.isError()) {
                    unavailable();
                    return;
                }
                const uint id = reply.value();
                m_shown.insert(id, activated);
                m_order.append(id);
                if (m_order.size() > kRemembered)
                    m_shown.remove(m_order.takeFirst());
            });
}

void DesktopNotices::actionInvoked(uint id, const QString &action)
{
    const auto shown = m_shown.constFind(id);
    if (shown != m_shown.constEnd() && action == QLatin1String("default") && *shown)
        (*shown)();
}

void DesktopNotices::notificationClosed(uint id, uint)
{
    m_shown.remove(id);
    m_order.removeOne(id);
}

} // namespace Posix
