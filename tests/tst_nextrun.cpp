#include "runner/minutescheduler.h"
#include "runner/entrypast.h"
#include "runner/nextrun.h"
#include "schedule/scheduleentry.h"
#include "schedule/schedulelines.h"

#include <QTest>
#include <QTimeZone>

#include <algorithm>
#include <optional>

namespace {

NextRunWords frenchWords()
{
    NextRunWords words;
    words.today = QStringLiteral("aujourd'hui");
    words.tomorrow = QStringLiteral("demain");
    words.never = QStringLiteral("jamais");
    const char *days[] = {"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};
    for (int d = 0; d < 7; ++d)
        words.days[d] = QString::fromLatin1(days[d]);
    words.noDay = QStringLiteral("aucun jour coché");
    words.notANumber = QStringLiteral("l'heure ou la minute n'est pas un nombre");
    words.paused = QStringLiteral("suspendue");
    words.noDate = QStringLiteral("aucune date");
    return words;
}

} // namespace

// When an entry runs next, as the view shows it: the scheduler's due rules,
// from the minute of now, on the local wall clock of the zone the tests run in.
class TestNextRun : public QObject
{
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void daylightSavingNights_data();
    void daylightSavingNights();
    void agreesWithTheScheduler_data();
    void agreesWithTheScheduler();
    void lastRunTexts();
};

void TestNextRun::texts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const QDate tuesday(2026, 12, 8);
    const auto at = [&](int days, int h, int m, int s = 0) { return QDateTime(tuesday.addDays(days), QTime(h, m, s)); };
    QTest::newRow("later today") << "15|9|0|1|0|0|0|0|0|x|" << at(0, 8, 0) << "aujourd'hui 09:15" << "";
    QTest::newRow("its own minute is past") << "30|14|0|1|0|0|0|0|0|x|" << at(0, 14, 30, 20) << "mardi 14:30" << "";
    QTest::newRow("tomorrow") << "0|0|0|0|1|0|0|0|0|x|" << at(0, 23, 59) << "demain 00:00" << "";
    QTest::newRow("over the week end") << "0|8|1|0|0|0|0|0|0|x|" << at(4, 9, 0) << "lundi 08:00" << "";
    QTest::newRow("every day, still today") << "59|23|1|1|1|1|1|1|1|x|" << at(0, 23, 58) << "aujourd'hui 23:59" << "";
    QTest::newRow("every minute") << "1|0|0|0|0|0|0|0|0|x|" << at(0, 10, 0, 59) << "aujourd'hui 10:01" << "";
    QTest::newRow("ninety minutes") << "30|1|0|0|0|0|0|0|0|x|" << at(0, 1, 31) << "aujourd'hui 03:00" << "";
    QTest::newRow("the last interval of a day") << "0|7|0|0|0|0|0|0|0|x|" << at(0, 21, 0) << "demain 00:00" << "";
    QTest::newRow("at midnight itself") << "15|0|0|0|0|0|0|0|0|x|" << at(0, 0, 0) << "aujourd'hui 00:15" << "";
    QTest::newRow("no day ticked, flags not all 0") << "0|9|2|0|0|0|0|0|0|x|" << at(0, 8, 0) << "jamais"
                                                    << "aucun jour coché";
    QTest::newRow("leading zero never matches") << "05|9|0|1|0|0|0|0|0|x|" << at(0, 8, 0) << "jamais"
                                                << "l'heure ou la minute n'est pas un nombre";
    QTest::newRow("period 0") << "0|0|0|0|0|0|0|0|0|x|" << at(0, 8, 0) << "jamais" << "Division par zéro";
    QTest::newRow("not a number") << "x|0|0|0|0|0|0|0|0|x|" << at(0, 8, 0) << "jamais"
                                  << "'x' n'est pas une valeur entière correcte";
    QTest::newRow("empty line") << "" << at(0, 8, 0) << "jamais" << "aucun jour coché";
    // The options of the eleventh field narrow the entry or hold it.
    QTest::newRow("first of the month") << "0|3|1|1|1|1|1|1|1|x|jours=1;nom=Sauvegarde mensuelle|" << at(0, 8, 0)
                                        << "01/01/2027 03:00" << "";
    QTest::newRow("last day, every hour") << "0|1|0|0|0|0|0|0|0|x|jours=fin|" << at(0, 8, 0) << "31/12/2026 00:00" << "";
    QTest::newRow("last day, later today") << "0|1|0|0|0|0|0|0|0|x|jours=fin|" << at(23, 8, 0) << "aujourd'hui 09:00" << "";
    QTest::newRow("months") << "30|14|0|1|0|0|0|0|0|x|mois=2,3|" << at(0, 8, 0) << "02/02/2027 14:30" << "";
    QTest::newRow("a 29 February, a Monday") << "0|0|1|0|0|0|0|0|0|x|jours=29;mois=2|" << at(0, 8, 0)
                                             << "29/02/2044 00:00" << "";
    QTest::newRow("dates that never meet") << "0|0|1|1|1|1|1|1|1|x|jours=31;mois=2|" << at(0, 8, 0) << "jamais"
                                           << "aucune date";
    QTest::newRow("suspended") << "15|9|0|1|0|0|0|0|0|x|pause|" << at(0, 8, 0) << "suspendue" << "";
    QTest::newRow("bad list") << "15|9|0|1|0|0|0|0|0|x|jours=32|" << at(0, 8, 0) << "jamais"
                              << "'32' n'est pas une liste de jours du mois correcte";
    // Whatever keeps the scheduler from starting an entry shows as never, with why.
    const QString badLimit = QStringLiteral("'%1' n'est pas une durée correcte (1 à 1440 minutes)");
    for (const char *limit : {"0", "abc", "1441", "01", ""})
        QTest::newRow(qPrintable(QStringLiteral("max=%1").arg(QLatin1String(limit))))
            << QStringLiteral("15|9|0|1|0|0|0|0|0|x|max=%1|").arg(QLatin1String(limit)) << at(0, 8, 0) << "jamais"
            << badLimit.arg(QLatin1String(limit));
    const QString badForm = QStringLiteral("'%1' n'est pas une option correcte");
    for (const char *item : {"pause=0", "seul=non", "rattrapage=0", "Pause", " pause", "pause ", "JOURS=1",
                             "nom", "max", "Max=5", "max =5"})
        QTest::newRow(item) << QStringLiteral("15|9|0|1|0|0|0|0|0|x|%1|").arg(QLatin1String(item)) << at(0, 8, 0)
                            << "jamais" << badForm.arg(QLatin1String(item));
    QTest::newRow("given twice") << "15|9|0|1|0|0|0|0|0|x|jours=1;nom=A;jours=31|" << at(0, 8, 0) << "jamais"
                                 << "L'option 'jours' est donnée deux fois";
    QTest::newRow("a bad form beside a pause") << "15|9|0|1|0|0|0|0|0|x|pause;seul=1|" << at(0, 8, 0) << "jamais"
                                               << badForm.arg("seul=1");
    QTest::newRow("words it does not know") << "15|9|0|1|0|0|0|0|0|x|x-retry=3;;pauses;seul;max=5|"
                                            << at(0, 8, 0) << "aujourd'hui 09:15" << "";
}

void TestNextRun::texts()
{
    QFETCH(QString, line);
    QFETCH(QDateTime, now);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QString why;
    QCOMPARE(nextRunText(nextRunOf(ScheduleEntry::fromLine(line), now), now.date(), frenchWords(), &why), text);
    QCOMPARE(why, reason);
}

namespace {

// A moment of the night given in UTC, where the local clock shows an hour twice.
QDateTime localAt(const QDate &date, int utcHour, int utcMinute)
{
    return QDateTime(date, QTime(utcHour, utcMinute), Qt::UTC).toLocalTime();
}

qint64 wall(const QDate &date, int hour, int minute)
{
    return MinuteScheduler::wallClockMinute(date, QTime(hour, minute));
}

} // namespace

void TestNextRun::daylightSavingNights_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDateTime>("now");
    // The scheduler's last examined minute; -1: the minute of now.
    QTest::addColumn<qint64>("lastExamined");
    QTest::addColumn<QString>("text");
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    const qint64 own = -1;
    // The night of each zone: the spring gap from 02:00 to 03:00, the autumn
    // hour 01:00 (New York) or 02:00 (Paris) shown twice, its offsets in UTC.
    struct Night
    {
        QDate spring, autumn;
        int repeatedHour, firstPassUtc, secondPassUtc;
    };
    std::optional<Night> night;
    if (zone == "Europe/Paris")
        night = Night{QDate(2026, 3, 29), QDate(2026, 10, 25), 2, 0, 1};
    else if (zone == "America/New_York")
        night = Night{QDate(2026, 3, 8), QDate(2026, 11, 1), 1, 5, 6};
    if (night) {
        const int h = night->repeatedHour;
        QTest::newRow("weekday entry in the gap: caught up at 03:00")
            << "30|2|0|0|0|0|0|0|1|x|" << QDateTime(night->spring, QTime(1, 0)) << own << "aujourd'hui 03:00";
        QTest::newRow("interval entry skips the gap")
            << "45|0|0|0|0|0|0|0|0|x|" << QDateTime(night->spring, QTime(1, 50)) << own << "aujourd'hui 03:00";
        QTest::newRow("weekday entry, before the repeated hour: the first")
            << QStringLiteral("30|%1|0|0|0|0|0|0|1|x|").arg(h) << QDateTime(night->autumn, QTime(h - 1, 0)) << own
            << QStringLiteral("aujourd'hui %1:30").arg(h, 2, 10, QLatin1Char('0'));
        // Late in the first pass of the hour: the interval entry's next run
        // is the start of the second pass, not the hour after.
        QTest::newRow("interval entry runs in the repeated hour")
            << "15|0|0|0|0|0|0|0|0|x|" << localAt(night->autumn, night->firstPassUtc, 50) << own
            << QStringLiteral("aujourd'hui %1:00").arg(h, 2, 10, QLatin1Char('0'));
        // In the second pass, an entry that ran in the first waits a week.
        QTest::newRow("weekday entry that ran in the first pass")
            << QStringLiteral("30|%1|0|0|0|0|0|0|1|x|").arg(h) << localAt(night->autumn, night->secondPassUtc, 10)
            << wall(night->autumn, h, 59) << QStringLiteral("dimanche %1:30").arg(h, 2, 10, QLatin1Char('0'));
        QTest::newRow("interval entry in the second pass")
            << "15|0|0|0|0|0|0|0|0|x|" << localAt(night->autumn, night->secondPassUtc, 10)
            << wall(night->autumn, h, 59) << QStringLiteral("aujourd'hui %1:15").arg(h, 2, 10, QLatin1Char('0'));
    }
    // Whatever the zone: an ordinary night.
    QTest::newRow("ordinary night") << "30|2|0|0|0|0|0|0|1|x|" << QDateTime(QDate(2026, 12, 13), QTime(1, 0))
                                    << own << "aujourd'hui 02:30";
}

void TestNextRun::daylightSavingNights()
{
    QFETCH(QString, line);
    QFETCH(QDateTime, now);
    QFETCH(qint64, lastExamined);
    QFETCH(QString, text);
    SchedulerMinutes state;
    if (lastExamined >= 0)
        state = {MinuteScheduler::wallClockMinute(now), lastExamined};
    QString why;
    QCOMPARE(nextRunText(nextRunOf(ScheduleEntry::fromLine(line), now, state), now.date(), frenchWords(), &why),
             text);
}

void TestNextRun::agreesWithTheScheduler_data()
{
    QTest::addColumn<QDate>("night");
    QTest::newRow("spring") << (QTimeZone::systemTimeZoneId() == "America/New_York" ? QDate(2026, 3, 8)
                                                                                   : QDate(2026, 3, 29));
    QTest::newRow("autumn") << (QTimeZone::systemTimeZoneId() == "America/New_York" ? QDate(2026, 11, 1)
                                                                                   : QDate(2026, 10, 25));
}

// The real scheduler ticks once a real minute through the night; after each
// tick, the next run foreseen from its two minutes is its next start.
void TestNextRun::agreesWithTheScheduler()
{
    QFETCH(QDate, night);
    const QStringList entries{QStringLiteral("30|1|0|0|0|0|0|0|1|x|"), QStringLiteral("30|2|0|0|0|0|0|0|1|x|"),
                              QStringLiteral("0|3|0|0|0|0|0|0|1|x|"), QStringLiteral("15|0|0|0|0|0|0|0|0|x|"),
                              QStringLiteral("45|0|0|0|0|0|0|0|0|x|"), QStringLiteral("7|1|0|0|0|0|0|0|0|x|")};
    // From the evening before to the morning after, a tick each real minute.
    const QDateTime first = QDateTime(night.addDays(-1), QTime(22, 0)).toUTC();
    QList<QDateTime> ticks;
    for (QDateTime utc = first; utc < first.addSecs(8 * 3600); utc = utc.addSecs(60))
        ticks << utc.toLocalTime();
    for (const QString &line : entries) {
        ScheduleLines lines;
        lines.add(QString());
        lines.add(line);
        int tick = 0;
        QList<int> starts;
        MinuteScheduler scheduler(lines, {.start = [&](const QString &, const QString &, const QString &) { starts << tick; },
                                          .reportError = [](const QString &) {},
                                          .trim = [] {}});
        QList<SchedulerMinutes> states;
        for (tick = 0; tick < ticks.size(); ++tick) {
            scheduler.tick(ticks.at(tick));
            states << SchedulerMinutes{scheduler.lastTick(), scheduler.lastExamined()};
        }
        for (int i = 0; i < ticks.size(); ++i) {
            const auto later = std::upper_bound(starts.cbegin(), starts.cend(), i);
            const NextRun next = nextRunOf(ScheduleEntry::fromLine(line), ticks.at(i), states.at(i));
            QCOMPARE(next.never, NextRun::No);
            if (later == starts.cend()) {
                QVERIFY2(next.at > ticks.last(), qPrintable(line + ticks.at(i).toString()));
                continue;
            }
            QVERIFY2(next.at.toUTC() == ticks.at(*later).toUTC(),
                     qPrintable(line + QStringLiteral(" after ") + ticks.at(i).toString(Qt::ISODate) +
                                QStringLiteral(": foreseen ") + next.at.toString(Qt::ISODate) +
                                QStringLiteral(", started ") + ticks.at(*later).toString(Qt::ISODate)));
        }
    }
}

void TestNextRun::lastRunTexts()
{
    NextRunWords words = frenchWords();
    words.yesterday = QStringLiteral("hier");
    const QDate tuesday(2026, 12, 8);
    const auto text = [&](int daysBack, int h, int m) {
        return pastRunText(QDateTime(tuesday.addDays(-daysBack), QTime(h, m, 59)), tuesday, words);
    };
    QCOMPARE(text(0, 14, 30), QStringLiteral("aujourd'hui 14:30"));
    QCOMPARE(text(1, 3, 0), QStringLiteral("hier 03:00"));
    QCOMPARE(text(2, 23, 59), QStringLiteral("dimanche 23:59"));
    QCOMPARE(text(6, 0, 0), QStringLiteral("mercredi 00:00"));
    // A week ago and more, or a clock set back past the run: the date.
    QCOMPARE(text(7, 8, 5), QStringLiteral("01/12/2026 08:05"));
    QCOMPARE(text(-1, 8, 5), QStringLiteral("09/12/2026 08:05"));
}

QTEST_GUILESS_MAIN(TestNextRun)
#include "tst_nextrun.moc"
