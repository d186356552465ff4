#include "posixnotify.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

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
    : m_watcher(kService, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
{
    // Another service may read the body otherwise: it is asked again.
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] {
        if (m_markup != Markup::Asking)
            m_markup = Markup::Unknown;
    });
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

void DesktopNotices::post(const QString &summary, const QString &body, const QString &showAction,
                          const QString &iconPath, std::function<void()> activated,
                          std::function<void()> unavailable)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        unavailable();
        return;
    }
    Notice notice{summary, body, showAction, iconPath, std::move(activated), std::move(unavailable)};
    if (m_markup == Markup::Plain || m_markup == Markup::Read) {
        send(std::move(notice));
        return;
    }
    if (m_waiting.size() >= kRemembered)
        m_waiting.takeFirst().unavailable();
    m_waiting.append(std::move(notice));
    if (m_markup == Markup::Unknown)
        askCapabilities();
}

void DesktopNotices::askCapabilities()
{
    m_markup = Markup::Asking;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        const QDBusPendingReply<QStringList> reply = *done;
        // No answer: the notices fail as they would have, and the next asks again.
        if (reply.isError())
            m_markup = Markup::Unknown;
        else
            m_markup = reply.value().contains(QLatin1String("body-markup")) ? Markup::Read : Markup::Plain;
        const QList<Notice> waiting = std::exchange(m_waiting, {});
        for (const Notice &notice : waiting)
            send(notice);
    });
}

void DesktopNotices::send(Notice notice)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QString body = notice.body;
    // A web address's '&' or a target holding "<b>" is text, not markup.
    if (m_markup == Markup::Read) {
        body.replace(QLatin1Char('&'), QLatin1String("&amp;"))
            .replace(QLatin1Char('<'), QLatin1String("&lt;"))
            .replace(QLatin1Char('>'), QLatin1String("&gt;"));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("pendulix")},
                      {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << QStringLiteral("Pendulix") << uint(0) << notice.iconPath << notice.summary << body
         << QStringList{QStringLiteral("default"), notice.showAction} << hints << int(-1);
    // Asynchronous: a service slow to answer never holds the window.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, activated = std::move(notice.activated),
             unavailable = std::move(notice.unavailable)](QDBusPendingCallWatcher *done) {
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
