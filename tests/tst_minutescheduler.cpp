#include "journal/runtimeerror.h"
#include "runner/minutescheduler.h"
#include "schedule/schedulelines.h"

#include <QTest>
#include <QTimeZone>

namespace {

// A scheduler over the given lines that records each start as "hh:mm target"
// of the tick's wall clock, each error and each trim.
struct Harness
{
    explicit Harness(const QStringList &entries)
        : scheduler(lines, {[this](const QString &target) {
                                log << tickTime.toString(QStringLiteral("hh:mm ")) + target;
                                if (onStart)
                                    onStart(target);
                            },
                            [this](const QString &message) { log << "error " + message; },
                            [this] { ++trims; }})
    {
        lines.add(QStringLiteral("0|0|1|1|1|1|1|1|1|header-never-runs|"));
        for (const QString &entry : entries)
            lines.add(entry);
    }
    void tick(const QDateTime &at)
    {
        tickTime = at;
        scheduler.tick(at);
    }
    ScheduleLines lines;
    MinuteScheduler scheduler;
    QDateTime tickTime;
    QStringList log;
    int trims = 0;
    std::function<void(const QString &)> onStart;
};

const QDate kTuesday(2026, 12, 8);

QDateTime at(int hour, int minute, int second = 0, QDate date = kTuesday)
{
    return QDateTime(date, QTime(hour, minute, second));
}

} // namespace

class TestMinuteScheduler : public QObject
{
    Q_OBJECT
private slots:
    void aWholeDayTickingEveryMinute();
    void twoTicksInOneMinuteStartOnce();
    void lateTickCatchesUpEveryMissedMinute();
    void shortSleepCatchesUpWeekdayEntriesOnly();
    void clockBackRunsWeekdayEntriesOnce();
    void clockCorrectionCatchesNothingUp();
    void springForwardNightInParis();
    void fallBackNightInParis();
    void badEntriesDoNotStopTheOthers();
    void reloadDuringAPassGoesOnAtTheNextIndex();
};

void TestMinuteScheduler::aWholeDayTickingEveryMinute()
{
    Harness h({QStringLiteral("30|14|0|1|0|0|0|0|0|weekly|"),
               QStringLiteral("30|1|0|0|0|0|0|0|0|ninety|"), QString(),
               QStringLiteral("30|14|0|0|0|0|0|0|0|thirty|")});
    // Ticks a few seconds into each minute, as the timer gives them.
    for (int t = 0; t < 1440; ++t)
        h.tick(at(t / 60, t % 60, 3));
    QCOMPARE(h.log.count(QStringLiteral("14:30 weekly")), 1);
    QCOMPARE(h.log.filter(QStringLiteral("ninety")).size(), 16);
    // Two due entries in one tick start in list order.
    const qsizetype weekly = h.log.indexOf(QStringLiteral("14:30 weekly"));
    QCOMPARE(h.log.at(weekly + 1), QStringLiteral("14:30 thirty"));
    QVERIFY(h.log.filter(QStringLiteral("header")).isEmpty());
    QCOMPARE(h.trims, 1440);
}

void TestMinuteScheduler::twoTicksInOneMinuteStartOnce()
{
    Harness h({QStringLiteral("30|14|0|1|0|0|0|0|0|weekly|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|every|")});
    h.tick(at(14, 30, 1));
    h.tick(at(14, 30, 59));
    QCOMPARE(h.log, (QStringList{"14:30 weekly", "14:30 every"}));
    QCOMPARE(h.trims, 1);
}

void TestMinuteScheduler::lateTickCatchesUpEveryMissedMinute()
{
    Harness h({QStringLiteral("31|14|0|1|0|0|0|0|0|weekly|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|every|")});
    h.tick(at(14, 29, 59));
    h.log.clear();
    h.tick(at(14, 32, 1)); // three minutes later
    QCOMPARE(h.log, (QStringList{"14:32 every", "14:32 weekly", "14:32 every", "14:32 every"}));
}

void TestMinuteScheduler::shortSleepCatchesUpWeekdayEntriesOnly()
{
    Harness h({QStringLiteral("0|15|0|1|0|0|0|0|0|weekly|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|every|")});
    h.tick(at(14, 40));
    h.log.clear();
    h.tick(at(15, 10)); // thirty minutes asleep
    QCOMPARE(h.log, (QStringList{"15:10 every", "15:10 weekly"}));
}

void TestMinuteScheduler::clockBackRunsWeekdayEntriesOnce()
{
    Harness h({QStringLiteral("20|14|0|1|0|0|0|0|0|weekly|"),
               QStringLiteral("10|0|0|0|0|0|0|0|0|ten|")});
    for (int m = 0; m <= 30; ++m)
        h.tick(at(14, m));
    QCOMPARE(h.log.count(QStringLiteral("14:20 weekly")), 1);
    h.log.clear();
    // Set back by half an hour: intervals keep their minutes, the weekday
    // entry waits until the clock passes 14:30 again.
    for (int m = 0; m <= 35; ++m)
        h.tick(at(14, m, 30).addSecs(0));
    QCOMPARE(h.log, (QStringList{"14:00 ten", "14:10 ten", "14:20 ten", "14:30 ten"}));
}

void TestMinuteScheduler::clockCorrectionCatchesNothingUp()
{
    Harness h({QStringLiteral("0|12|0|1|0|0|0|0|0|noon|"),
               QStringLiteral("0|18|0|1|0|0|0|0|0|six|")});
    h.tick(at(8, 0));
    h.tick(at(18, 0)); // ten hours later
    QCOMPARE(h.log, QStringList{"18:00 six"});
    h.log.clear();
    h.tick(at(8, 0)); // and ten hours back
    h.tick(at(12, 0));
    QCOMPARE(h.log, QStringList{"12:00 noon"});
}

void TestMinuteScheduler::springForwardNightInParis()
{
    const QTimeZone paris("Europe/Paris");
    QVERIFY(paris.isValid());
    Harness h({QStringLiteral("30|2|0|0|0|0|0|0|1|half-past-two|"),
               QStringLiteral("15|0|0|0|0|0|0|0|0|quarter|")});
    // Sunday 29 March 2026: 02:00 does not exist, the clock goes to 03:00.
    QDateTime utc(QDate(2026, 3, 29), QTime(0, 0), Qt::UTC);
    for (int m = 0; m < 180; ++m)
        h.tick(utc.addSecs(60 * m + 2).toTimeZone(paris));
    QCOMPARE(h.log.filter(QStringLiteral("half-past-two")), QStringList{"03:00 half-past-two"});
    // Local 01:00 .. 05:59: every real quarter hour once, 03:00 included.
    QCOMPARE(h.log.filter(QStringLiteral("quarter")).size(), 12);
}

void TestMinuteScheduler::fallBackNightInParis()
{
    const QTimeZone paris("Europe/Paris");
    Harness h({QStringLiteral("30|2|0|0|0|0|0|0|1|half-past-two|"),
               QStringLiteral("30|0|0|0|0|0|0|0|0|half-hour|")});
    // Sunday 25 October 2026: 03:00 comes back to 02:00.
    QDateTime utc(QDate(2026, 10, 24), QTime(23, 0), Qt::UTC);
    for (int m = 0; m < 240; ++m)
        h.tick(utc.addSecs(60 * m + 2).toTimeZone(paris));
    QCOMPARE(h.log.filter(QStringLiteral("half-past-two")), QStringList{"02:30 half-past-two"});
    // Interval entries keep the wall clock: 02:00 and 02:30 come twice.
    QCOMPARE(h.log.filter(QStringLiteral("half-hour")).count(QStringLiteral("02:30 half-hour")), 2);
}

void TestMinuteScheduler::badEntriesDoNotStopTheOthers()
{
    Harness h({QStringLiteral("1|0|0|0|0|0|0|0|0|first|"),
               QStringLiteral("0|0|0|0|0|0|0|0|0|period-zero|"),
               QStringLiteral("x|0|0|0|0|0|0|0|0|not-a-number|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|journal-fails|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|last|")});
    h.onStart = [](const QString &target) {
        if (target == QLatin1String("journal-fails"))
            throw EInOutError(5);
    };
    h.tick(at(10, 0));
    QCOMPARE(h.log, (QStringList{"10:00 first", "error Division par zéro",
                                 "error 'x' n'est pas une valeur entière correcte",
                                 "10:00 journal-fails", "error Accès au fichier refusé",
                                 "10:00 last"}));
    QCOMPARE(h.trims, 1);
}

void TestMinuteScheduler::reloadDuringAPassGoesOnAtTheNextIndex()
{
    Harness h({QStringLiteral("1|0|0|0|0|0|0|0|0|a|"), QStringLiteral("1|0|0|0|0|0|0|0|0|b|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|c|")});
    h.onStart = [&h](const QString &target) {
        if (target != QLatin1String("a"))
            return;
        // A reload while "a" starts: the file now holds two other entries.
        h.lines.clear();
        h.lines.add(QString());
        h.lines.add(QStringLiteral("1|0|0|0|0|0|0|0|0|new-1|"));
        h.lines.add(QStringLiteral("1|0|0|0|0|0|0|0|0|new-2|"));
    };
    h.tick(at(10, 0));
    QCOMPARE(h.log, (QStringList{"10:00 a", "10:00 new-2"}));
}

QTEST_GUILESS_MAIN(TestMinuteScheduler)
#include "tst_minutescheduler.moc"
