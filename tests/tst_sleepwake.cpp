#include "engine/schedulingengine.h"
#include "privatebus.h"
#include "recordlog.h"
#include "testprogramdir.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <QDateTime>
#include <QTimer>

// The machine's return from sleep, told by a stand-in for logind on a system
// bus of the test's own.
class TestSleepWake : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void wakeFindsTheMinuteAtOnce();
    void wallClockAlarmComesOnceAtItsTime();

private:
    void tell(bool sleeping);
    PrivateBus m_bus;
};

void TestSleepWake::initTestCase()
{
    const QByteArray address = m_bus.start();
    if (address.isEmpty())
        return;
    // Read by Qt at the first use of the system bus, which comes later.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    QDBusConnection logind = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("logind"));
    QVERIFY(logind.isConnected());
    QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
}

void TestSleepWake::cleanupTestCase()
{
    m_bus.stop(QStringLiteral("logind"));
}

void TestSleepWake::tell(bool sleeping)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                     QStringLiteral("org.freedesktop.login1.Manager"),
                                                     QStringLiteral("PrepareForSleep"));
    signal << sleeping;
    QVERIFY(QDBusConnection(QStringLiteral("logind")).send(signal));
}

void TestSleepWake::wakeFindsTheMinuteAtOnce()
{
    TestProgramDir dir;
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n1|0|0|0|0|0|0|0|0|" + missing + "|\r\n").toUtf8());
    FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(15, 0, 0, 400)));
    SchedulingEngine engine({.programDirectory = dir.path(),
                             .clock = [&clock] { return clock.now(); },
                             .timeText = testTimeText});
    RecordLog record(&engine);
    engine.startUp();
    engine.startMinuteTimer();
    // As after a sleep: the timer still counts the half minute it had left.
    engine.minuteTimer()->start(30000);
    tell(true);
    QTest::qWait(300);
    QCOMPARE(record.rows().size(), 0);
    tell(false);
    QTRY_COMPARE_WITH_TIMEOUT(record.rows(), QStringList{"15:00:00 Fichier inexistant|" + missing}, 5000);
    // Armed again for the next minute's start, not the stale half minute.
    QVERIFY(engine.minuteTimer()->isActive());
    const QTime now = QTime::currentTime();
    const int toNextMinute = 60000 - (now.second() * 1000 + now.msec());
    QVERIFY2(qAbs(engine.minuteTimer()->remainingTime() - toNextMinute) < 1500,
             qPrintable(QString::number(engine.minuteTimer()->remainingTime())));
}

void TestSleepWake::wallClockAlarmComesOnceAtItsTime()
{
    QObject context;
    QList<qint64> came;
    Platform::WallClockAlarm alarm([&] { came << QDateTime::currentMSecsSinceEpoch(); }, &context);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Armed far off, then again near: only the last arm counts.
    QVERIFY(alarm.arm(now + 600000));
    const qint64 at = now + 300;
    QVERIFY(alarm.arm(at));
    QTRY_COMPARE_WITH_TIMEOUT(came.size(), 1, 10000);
    // Never before its time on the wall clock.
    QVERIFY2(came.first() >= at, qPrintable(QString::number(came.first() - at)));
    // Armed again, it comes again.
    QVERIFY(alarm.arm(QDateTime::currentMSecsSinceEpoch() + 200));
    QTRY_COMPARE_WITH_TIMEOUT(came.size(), 2, 10000);
}

QTEST_GUILESS_MAIN(TestSleepWake)
#include "tst_sleepwake.moc"
