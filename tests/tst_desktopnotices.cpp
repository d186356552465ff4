#include "platform/platform.h"
#include "privatebus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <QVariantMap>

// A stand-in for the desktop's notification daemon, on a session bus of the
// test's own: it records each notice and answers with its number.
class StandInDaemon : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Call> calls;
    bool readsMarkup = false;

public slots:
    QStringList GetCapabilities()
    {
        QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
        if (readsMarkup)
            capabilities << QStringLiteral("body-markup");
        return capabilities;
    }
    uint Notify(const QString &appName, uint, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int)
    {
        calls.append({appName, icon, summary, body, actions, hints});
        return uint(40 + calls.size());
    }
};

class TestDesktopNotices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void noticeReachesTheDaemonAndItsClickShows();
    void withoutADaemonTheCallerTells();
    void aDaemonReadingMarkupGetsTheTextEscaped();

private:
    PrivateBus m_bus;
    StandInDaemon m_daemon;
};

void TestDesktopNotices::initTestCase()
{
    const QByteArray address = m_bus.start();
    if (address.isEmpty())
        return;
    // Read by Qt at the first use of the session bus, which comes later.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection daemon = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("daemon"));
    QVERIFY(daemon.isConnected());
    QVERIFY(daemon.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_daemon,
                                  QDBusConnection::ExportAllSlots));
}

void TestDesktopNotices::cleanupTestCase()
{
    m_bus.stop(QStringLiteral("daemon"));
}

void TestDesktopNotices::noticeReachesTheDaemonAndItsClickShows()
{
    QDBusConnection daemon(QStringLiteral("daemon"));
    QVERIFY(daemon.registerService(QStringLiteral("org.freedesktop.Notifications")));
    int shown = 0, untold = 0;
    Platform::notifyDesktop(QStringLiteral("Fichier inexistant"), QStringLiteral("/srv/a&b <i>.sh"),
                            QStringLiteral("Show"), [&] { ++shown; }, [&] { ++untold; });
    QTRY_COMPARE(m_daemon.calls.size(), 1);
    const StandInDaemon::Call call = m_daemon.calls.first();
    QCOMPARE(call.appName, QStringLiteral("Pendulix"));
    QCOMPARE(call.summary, QStringLiteral("Fichier inexistant"));
    // A daemon that reads no markup gets the text as it is.
    QCOMPARE(call.body, QStringLiteral("/srv/a&b <i>.sh"));
    QVERIFY(!call.icon.isEmpty());
    QCOMPARE(call.actions, (QStringList{"default", "Show"}));
    QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("pendulix"));
    // The reply's number is what the clicks name; another notice's click, or
    // a click sent by someone else than the daemon, shows nothing.
    QTest::qWait(100);
    const auto invoke = [](QDBusConnection &from, uint id) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << QStringLiteral("default");
        QVERIFY(from.send(signal));
    };
    invoke(daemon, 7);
    QDBusConnection stranger = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                             QStringLiteral("stranger"));
    invoke(stranger, 41);
    QTest::qWait(200);
    QCOMPARE(shown, 0);
    invoke(daemon, 41);
    QTRY_COMPARE(shown, 1);
    QCOMPARE(untold, 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("stranger"));
    QVERIFY(daemon.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
}

void TestDesktopNotices::withoutADaemonTheCallerTells()
{
    int shown = 0, untold = 0;
    Platform::notifyDesktop(QStringLiteral("Délai de lecture"), QStringLiteral("http://h/"),
                            QStringLiteral("Afficher"), [&] { ++shown; }, [&] { ++untold; });
    QTRY_COMPARE(untold, 1);
    QCOMPARE(shown, 0);
}

void TestDesktopNotices::aDaemonReadingMarkupGetsTheTextEscaped()
{
    m_daemon.readsMarkup = true;
    m_daemon.calls.clear();
    QDBusConnection daemon(QStringLiteral("daemon"));
    QVERIFY(daemon.registerService(QStringLiteral("org.freedesktop.Notifications")));
    int untold = 0;
    for (const char *target : {"http://h/?a=1&b=<b>2</b>", "/srv/plain.sh"})
        Platform::notifyDesktop(QStringLiteral("Délai de lecture"), QString::fromLatin1(target),
                                QStringLiteral("Afficher"), [] {}, [&] { ++untold; });
    QTRY_COMPARE(m_daemon.calls.size(), 2);
    QCOMPARE(m_daemon.calls.at(0).body, QStringLiteral("http://h/?a=1&amp;b=&lt;b&gt;2&lt;/b&gt;"));
    QCOMPARE(m_daemon.calls.at(1).body, QStringLiteral("/srv/plain.sh"));
    QCOMPARE(untold, 0);
    QVERIFY(daemon.unregisterService(QStringLiteral("org.freedesktop.Notifications")));
}

QTEST_MAIN(TestDesktopNotices)
#include "tst_desktopnotices.moc"
