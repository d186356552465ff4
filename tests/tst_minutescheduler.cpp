#include "files/runtimeerror.h"
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
        : scheduler(lines, {.start =
                                [this](const QString &target, const QString &name, const QString &line) {
                                    log << tickTime.toString(QStringLiteral("hh:mm ")) + target +
                                               (name.isEmpty() ? QString() : " [" + name + "]");
                                    started[line] = MinuteScheduler::wallClockMinute(tickTime);
                                    if (onStart)
                                        onStart(target);
                                },
                            .reportError = [this](const QString &message) { log << "error " + message; },
                            .trim = [this] { ++trims; },
                            .examined = [this](qint64 minute) { examined << minute; },
                            .catchUp =
                                [this](const QString &target, const QString &, const QString &line, qint64 missed) {
                                    log << tickTime.toString(QStringLiteral("hh:mm ")) + "catch-up " + target + " for " +
                                               MinuteScheduler::wallClockTime(missed).toString(QStringLiteral("hh:mm"));
                                    started[line] = MinuteScheduler::wallClockMinute(tickTime);
                                },
                            .startedSince =
                                [this](const QString &line, qint64 minute) {
                                    return started.contains(line) && started.value(line) >= minute;
                                }})
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
    QList<qint64> examined;
    // The minute of each entry's last start, as the runs record keeps it.
    QHash<QString, qint64> started;
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
    void clockSetBack_data();
    void clockSetBack();
    void springForwardNight_data();
    void springForwardNight();
    void fallBackNight_data();
    void fallBackNight();
    void aTickDuringAPassIsHeld();
    void badEntriesDoNotStopTheOthers();
    void badOptionsAreToldOncePerLoad();
    void reloadDuringAPassGoesOnAtTheNextIndex();
    void anEarlierRunsMinuteIsNotExaminedAgain();
    void aMissedMinuteIsCaughtUpOnce();
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

void TestMinuteScheduler::clockSetBack_data()
{
    // As cron: weekday entries are held only when the clock went back by less than three hours.
    QTest::addColumn<int>("minutesBack");
    QTest::addColumn<bool>("weekdayRuns");
    QTest::newRow("1 minute") << 1 << false;
    QTest::newRow("179 minutes") << 179 << false;
    QTest::newRow("exactly 180 minutes") << 180 << true;
    QTest::newRow("181 minutes") << 181 << true;
}

void TestMinuteScheduler::clockSetBack()
{
    QFETCH(int, minutesBack);
    QFETCH(bool, weekdayRuns);
    const QDateTime from = at(17, 0);
    const QDateTime back = from.addSecs(-60 * minutesBack);
    const QString entry = QStringLiteral("%1|%2|0|1|0|0|0|0|0|weekly|").arg(back.time().minute()).arg(back.time().hour());
    Harness h({entry});
    h.tick(from);
    h.tick(back);
    QCOMPARE(h.log.contains(back.toString(QStringLiteral("hh:mm")) + QStringLiteral(" weekly")), weekdayRuns);
}

void TestMinuteScheduler::springForwardNight_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("utcStart"); // local 01:00 of the night
    // Sunday 29 March 2026 in Paris, Sunday 8 March 2026 in New York: 02:00
    // does not exist, the clock goes to 03:00.
    QTest::newRow("Paris") << QByteArray("Europe/Paris")
                           << QDateTime(QDate(2026, 3, 29), QTime(0, 0), Qt::UTC);
    QTest::newRow("New York") << QByteArray("America/New_York")
                              << QDateTime(QDate(2026, 3, 8), QTime(6, 0), Qt::UTC);
}

void TestMinuteScheduler::springForwardNight()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, utcStart);
    const QTimeZone local(zone);
    QVERIFY(local.isValid());
    Harness h({QStringLiteral("30|2|0|0|0|0|0|0|1|half-past-two|"),
               QStringLiteral("15|0|0|0|0|0|0|0|0|quarter|")});
    for (int m = 0; m < 180; ++m)
        h.tick(utcStart.addSecs(60 * m + 2).toTimeZone(local));
    QCOMPARE(h.log.filter(QStringLiteral("half-past-two")), QStringList{"03:00 half-past-two"});
    // Local 01:00 .. 04:59 without the missing hour: every real quarter hour
    // once, 03:00 included.
    QCOMPARE(h.log.filter(QStringLiteral("quarter")).size(), 12);
    QCOMPARE(h.log.count(QStringLiteral("03:00 quarter")), 1);
}

void TestMinuteScheduler::fallBackNight_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("utcStart"); // local 00:00 of the night
    // Sunday 25 October 2026 in Paris: 03:00 comes back to 02:00. Sunday
    // 1 November 2026 in New York: 02:00 comes back to 01:00.
    QTest::addColumn<QString>("repeated"); // the hour that comes twice
    QTest::newRow("Paris") << QByteArray("Europe/Paris")
                           << QDateTime(QDate(2026, 10, 24), QTime(22, 0), Qt::UTC) << "2";
    QTest::newRow("New York") << QByteArray("America/New_York")
                              << QDateTime(QDate(2026, 11, 1), QTime(4, 0), Qt::UTC) << "1";
}

void TestMinuteScheduler::fallBackNight()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, utcStart);
    QFETCH(QString, repeated);
    const QTimeZone local(zone);
    QVERIFY(local.isValid());
    Harness h({QStringLiteral("30|%1|0|0|0|0|0|0|1|weekly|").arg(repeated),
               QStringLiteral("30|0|0|0|0|0|0|0|0|half-hour|")});
    for (int m = 0; m < 300; ++m)
        h.tick(utcStart.addSecs(60 * m + 2).toTimeZone(local));
    const QString halfPast = QStringLiteral("0%1:30 ").arg(repeated);
    QCOMPARE(h.log.filter(QStringLiteral("weekly")), QStringList{halfPast + "weekly"});
    // Interval entries keep the wall clock: the repeated hour's minutes come twice.
    QCOMPARE(h.log.count(halfPast + "half-hour"), 2);
    QCOMPARE(h.log.count(QStringLiteral("00:30 half-hour")), 1);
}

void TestMinuteScheduler::aTickDuringAPassIsHeld()
{
    Harness h({QStringLiteral("0|10|1|1|1|1|1|1|1|at-10:00|"),
               QStringLiteral("1|10|1|1|1|1|1|1|1|at-10:01|"),
               QStringLiteral("2|10|1|1|1|1|1|1|1|at-10:02|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|every|")});
    h.tick(at(9, 59, 30));
    h.log.clear();
    int depth = 0, deepest = 0;
    h.onStart = [&](const QString &target) {
        deepest = std::max(deepest, ++depth);
        // A start that outlives its minute: the next ticks come meanwhile.
        if (target == QLatin1String("at-10:00")) {
            h.scheduler.tick(at(10, 1, 0));
            h.scheduler.tick(at(10, 2, 0));
        }
        --depth;
    };
    h.tick(at(10, 0, 0));
    QCOMPARE(deepest, 1);
    QStringList targets;
    for (const QString &line : std::as_const(h.log))
        targets << line.mid(6);
    // Each minute once, in order: 10:01 caught up, 10:02 examined after it.
    QCOMPARE(targets, (QStringList{"at-10:00", "every", "at-10:01", "every", "at-10:02", "every"}));
    h.log.clear();
    h.tick(at(10, 2, 40));
    QVERIFY(h.log.isEmpty());
    h.tick(at(10, 3, 0));
    QCOMPARE(h.log, QStringList{"10:03 every"});
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
    // A bad entry's error names its number in the view; a failed start is the journal's error.
    QCOMPARE(h.log, (QStringList{"10:00 first", "error Division par zéro (N° 002)",
                                 "error 'x' n'est pas une valeur entière correcte (N° 003)",
                                 "10:00 journal-fails", "error Accès au fichier refusé",
                                 "10:00 last"}));
    QCOMPARE(h.trims, 1);
}

void TestMinuteScheduler::badOptionsAreToldOncePerLoad()
{
    Harness h({QStringLiteral("1|0|0|0|0|0|0|0|0|bad-days|jours=32|"),
               QStringLiteral("1|0|0|0|0|0|0|0|0|last|nom=Dernier|")});
    h.tick(at(10, 0));
    h.tick(at(10, 1));
    // The entry's name goes with its start.
    QCOMPARE(h.log, (QStringList{"error '32' n'est pas une liste de jours du mois correcte (N° 001)",
                                 "10:00 last [Dernier]", "10:01 last [Dernier]"}));
    // Told again once the list is loaded again.
    h.lines.add(QStringLiteral("1|0|0|0|0|0|0|0|0|added|"));
    h.log.clear();
    h.tick(at(10, 2));
    QCOMPARE(h.log.first(), QStringLiteral("error '32' n'est pas une liste de jours du mois correcte (N° 001)"));
    QCOMPARE(h.log.size(), 3);
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

void TestMinuteScheduler::anEarlierRunsMinuteIsNotExaminedAgain()
{
    const QStringList entries{QStringLiteral("30|14|0|1|0|0|0|0|0|weekly|"),
                              QStringLiteral("1|0|0|0|0|0|0|0|0|every|")};
    const qint64 half = MinuteScheduler::wallClockMinute(at(14, 30));
    // Restarted seven seconds into the minute the run before examined.
    Harness again(entries);
    again.scheduler.setExaminedByEarlierRun(half);
    again.tick(at(14, 30, 7));
    QVERIFY(again.log.isEmpty());
    QVERIFY(again.examined.isEmpty());
    again.tick(at(14, 31, 0));
    QCOMPARE(again.log, QStringList{"14:31 every"});
    QCOMPARE(again.examined, QList<qint64>{half + 1});

    // Restarted later: the current minute as at any start, nothing caught up.
    Harness later(entries);
    later.scheduler.setExaminedByEarlierRun(half - 10);
    later.tick(at(14, 30, 1));
    QCOMPARE(later.log, (QStringList{"14:30 weekly", "14:30 every"}));
    QCOMPARE(later.examined, QList<qint64>{half});

    // The record counts for the first tick only: a clock set back into that
    // minute later on follows the clock rules.
    Harness first(entries);
    first.scheduler.setExaminedByEarlierRun(half);
    first.tick(at(14, 29, 1));
    first.tick(at(14, 30, 0));
    QCOMPARE(first.log, (QStringList{"14:29 every", "14:30 weekly", "14:30 every"}));
    QCOMPARE(first.examined, (QList<qint64>{half - 1, half}));
}

void TestMinuteScheduler::aMissedMinuteIsCaughtUpOnce()
{
    const QStringList entries{QStringLiteral("0|3|1|1|1|1|1|1|1|daily|rattrapage|"),
                              QStringLiteral("30|0|0|0|0|0|0|0|0|half-hourly|rattrapage|"),
                              QStringLiteral("0|2|1|1|1|1|1|1|1|early|rattrapage|")};
    // Started at 03:00 after two nights off: the entries due now start once,
    // by their own minute, and only the one that is not due catches up.
    Harness restart(entries);
    restart.scheduler.setExaminedByEarlierRun(MinuteScheduler::wallClockMinute(at(22, 0, 0, kTuesday.addDays(-2))));
    restart.tick(at(3, 0, 5));
    QCOMPARE(restart.log, (QStringList{"03:00 catch-up early for 02:00", "03:00 daily", "03:00 half-hourly"}));

    // The clock goes back more than three hours and is put right: the
    // minutes examined before it went back are not caught up.
    Harness h(entries);
    for (int m = 0; m <= 5; ++m)
        h.tick(at(3, m));
    h.log.clear();
    h.tick(at(22, 0, 0, kTuesday.addDays(-1)));
    h.tick(at(22, 1, 0, kTuesday.addDays(-1)));
    h.tick(at(3, 10));
    QCOMPARE(h.log, QStringList{"22:00 half-hourly"});

    // The record of the last minute could not be kept: the runs record
    // tells what already started.
    Harness stale(entries);
    stale.started[stale.lines.item(1)] = MinuteScheduler::wallClockMinute(at(3, 0));
    stale.scheduler.setExaminedByEarlierRun(MinuteScheduler::wallClockMinute(at(22, 0, 0, kTuesday.addDays(-1))));
    stale.tick(at(3, 30));
    QCOMPARE(stale.log, (QStringList{"03:30 catch-up early for 02:00", "03:30 half-hourly"}));
}

QTEST_GUILESS_MAIN(TestMinuteScheduler)
#include "tst_minutescheduler.moc"
