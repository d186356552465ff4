#include "runner/nextrun.h"
#include "schedule/scheduleentry.h"

#include <QTest>
#include <QTimeZone>

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

void TestNextRun::daylightSavingNights_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("text");
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    if (zone == "Europe/Paris") {
        // Sunday 29 March 2026: from 02:00 the clock shows 03:00.
        QTest::newRow("weekday entry in the gap: caught up at 03:00")
            << "30|2|0|0|0|0|0|0|1|x|" << QDateTime(QDate(2026, 3, 29), QTime(1, 0)) << "aujourd'hui 03:00";
        QTest::newRow("interval entry skips the gap")
            << "15|0|0|0|0|0|0|0|0|x|" << QDateTime(QDate(2026, 3, 29), QTime(1, 50)) << "aujourd'hui 03:00";
        // Sunday 25 October 2026: 02:00 to 02:59 come twice; the next run is the first.
        QTest::newRow("the repeated hour")
            << "30|2|0|0|0|0|0|0|1|x|" << QDateTime(QDate(2026, 10, 25), QTime(1, 0)) << "aujourd'hui 02:30";
    } else if (zone == "America/New_York") {
        // Sunday 8 March 2026: from 02:00 the clock shows 03:00.
        QTest::newRow("weekday entry in the gap: caught up at 03:00")
            << "30|2|0|0|0|0|0|0|1|x|" << QDateTime(QDate(2026, 3, 8), QTime(1, 0)) << "aujourd'hui 03:00";
        QTest::newRow("interval entry skips the gap")
            << "45|0|0|0|0|0|0|0|0|x|" << QDateTime(QDate(2026, 3, 8), QTime(1, 50)) << "aujourd'hui 03:00";
    }
    // Whatever the zone: an ordinary night.
    QTest::newRow("ordinary night") << "30|2|0|0|0|0|0|0|1|x|" << QDateTime(QDate(2026, 12, 13), QTime(1, 0))
                                    << "aujourd'hui 02:30";
}

void TestNextRun::daylightSavingNights()
{
    QFETCH(QString, line);
    QFETCH(QDateTime, now);
    QFETCH(QString, text);
    QString why;
    QCOMPARE(nextRunText(nextRunOf(ScheduleEntry::fromLine(line), now), now.date(), frenchWords(), &why), text);
}

QTEST_GUILESS_MAIN(TestNextRun)
#include "tst_nextrun.moc"
