#include "files/runtimeerror.h"
#include "runner/duerules.h"
#include "schedule/scheduleentry.h"

#include <QTest>

namespace {

bool dueAt(const QString &line, const MinuteValues &now)
{
    return DueEntry(ScheduleEntry::fromLine(line)).isDue(now);
}

// Every minute of one day at which an interval entry of h hours m minutes is due.
QStringList dueMinutesOfADay(const QString &line)
{
    QStringList due;
    for (int t = 0; t < 1440; ++t) {
        const QDateTime at(QDate(2026, 12, 8), QTime(t / 60, t % 60));
        if (dueAt(line, MinuteValues::of(at)))
            due << at.time().toString(QStringLiteral("hh:mm"));
    }
    return due;
}

QString convertError(const std::function<void()> &work)
{
    try {
        work();
    } catch (const EConvertError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestDueRules : public QObject
{
    Q_OBJECT
private slots:
    void minuteValues();
    void intervalEntriesOverADay();
    void weekdayEntry_data();
    void weekdayEntry();
    void conversionErrors();
};

void TestDueRules::minuteValues()
{
    const MinuteValues v = MinuteValues::of(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 59)));
    QCOMPARE(v.minuteHour, QStringLiteral("5|9"));
    QCOMPARE(v.weekdayDigit, QStringLiteral("2"));
    QCOMPARE(v.hour, 9);
    QCOMPARE(v.minute, 5);
}

void TestDueRules::intervalEntriesOverADay()
{
    QCOMPARE(dueMinutesOfADay(QStringLiteral("1|0|0|0|0|0|0|0|0|x|")).size(), 1440);
    const QStringList ninety = dueMinutesOfADay(QStringLiteral("30|1|0|0|0|0|0|0|0|x|"));
    QCOMPARE(ninety.size(), 16);
    QCOMPARE(ninety.mid(0, 3), (QStringList{"00:00", "01:30", "03:00"}));
    QCOMPARE(ninety.last(), QStringLiteral("22:30"));
    const QStringList fortyFive = dueMinutesOfADay(QStringLiteral("45|0|0|0|0|0|0|0|0|x|"));
    QCOMPARE(fortyFive.last(), QStringLiteral("23:15"));
    QCOMPARE(dueMinutesOfADay(QStringLiteral("0|1|0|0|0|0|0|0|0|x|")).size(), 24);
    QCOMPARE(dueMinutesOfADay(QStringLiteral("58|23|0|0|0|0|0|0|0|x|")),
             (QStringList{"00:00", "23:58"}));
    // A minute written with a leading zero still counts as a number here.
    QCOMPARE(dueMinutesOfADay(QStringLiteral("05|0|0|0|0|0|0|0|0|x|")).size(), 288);
    const QStringList seven = dueMinutesOfADay(QStringLiteral("7|0|0|0|0|0|0|0|0|x|"));
    QCOMPARE(seven.last(), QStringLiteral("23:55"));
}

void TestDueRules::weekdayEntry_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<bool>("due");
    const QDateTime tuesday1430(QDate(2026, 12, 8), QTime(14, 30, 37));
    const QString entry = QStringLiteral("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|");
    QTest::newRow("its minute on Tuesday") << entry << tuesday1430 << true;
    QTest::newRow("Wednesday") << entry << tuesday1430.addDays(1) << false;
    QTest::newRow("next minute") << entry << tuesday1430.addSecs(60) << false;
    QTest::newRow("leading zero never matches")
        << QStringLiteral("05|9|1|1|1|1|1|1|1|x|")
        << QDateTime(QDate(2026, 12, 8), QTime(9, 5)) << false;
    QTest::newRow("single digits") << QStringLiteral("5|9|0|1|0|0|0|0|0|x|")
                                   << QDateTime(QDate(2026, 12, 8), QTime(9, 5)) << true;
    QTest::newRow("Sunday is field 9") << QStringLiteral("0|0|0|0|0|0|0|0|1|x|")
                                       << QDateTime(QDate(2026, 12, 13), QTime(0, 0)) << true;
    QTest::newRow("flag 2 is not set") << QStringLiteral("30|14|0|2|0|0|0|0|0|x|") << tuesday1430
                                       << false;
    QTest::newRow("empty line") << QString() << tuesday1430 << false;
    // Options narrow the entry: days of the month, months, suspension.
    const QDateTime first0300(QDate(2027, 1, 1), QTime(3, 0));
    const QString monthly = QStringLiteral("0|3|1|1|1|1|1|1|1|/usr/local/bin/backup|jours=1;nom=Sauvegarde mensuelle|");
    QTest::newRow("day of the month") << monthly << first0300 << true;
    QTest::newRow("another day of the month") << monthly << first0300.addDays(1) << false;
    QTest::newRow("last day: 28 February") << QStringLiteral("30|0|0|0|0|0|0|0|0|x|jours=fin|")
                                           << QDateTime(QDate(2026, 2, 28), QTime(1, 30)) << true;
    QTest::newRow("last day: not 28 February of a leap year")
        << QStringLiteral("30|0|0|0|0|0|0|0|0|x|jours=fin|") << QDateTime(QDate(2028, 2, 28), QTime(1, 30)) << false;
    QTest::newRow("months") << QStringLiteral("30|14|0|1|0|0|0|0|0|x|mois=6,12|") << tuesday1430 << true;
    QTest::newRow("another month") << QStringLiteral("30|14|0|1|0|0|0|0|0|x|mois=6|") << tuesday1430 << false;
    QTest::newRow("unknown options pass") << QStringLiteral("30|14|0|1|0|0|0|0|0|x|plus tard=1;;x|") << tuesday1430
                                          << true;
    QTest::newRow("suspended") << QStringLiteral("30|14|0|1|0|0|0|0|0|x|nom=a;pause|") << tuesday1430 << false;
    QTest::newRow("suspended interval") << QStringLiteral("1|0|0|0|0|0|0|0|0|x|pause|") << tuesday1430 << false;
    for (const char *list : {"jours=0", "jours=32", "jours=1,,2", "jours=01", "jours=", "mois=13", "mois=fin",
                             "max=0", "pause=0", "seul=non", "Seul", "jours=1;jours=31"})
        QTest::newRow(list) << QStringLiteral("30|14|0|1|0|0|0|0|0|x|%1|").arg(QLatin1String(list)) << tuesday1430
                            << false;
}

void TestDueRules::weekdayEntry()
{
    QFETCH(QString, line);
    QFETCH(QDateTime, at);
    QFETCH(bool, due);
    QCOMPARE(dueAt(line, MinuteValues::of(at)), due);
}

void TestDueRules::conversionErrors()
{
    const MinuteValues noon = MinuteValues::of(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
    QCOMPARE(convertError([&] { dueAt(QStringLiteral("0|0|0|0|0|0|0|0|0|x|"), noon); }),
             QStringLiteral("Division par zéro"));
    // The minute is converted first.
    QCOMPARE(convertError([&] { dueAt(QStringLiteral("a|b|0|0|0|0|0|0|0|x|"), noon); }),
             QStringLiteral("'a' n'est pas une valeur entière correcte"));
    QCOMPARE(convertError([&] { dueAt(QStringLiteral("5||0|0|0|0|0|0|0|x|"), noon); }),
             QStringLiteral("'' n'est pas une valeur entière correcte"));
    QCOMPARE(convertError([] { StrToInt(QStringLiteral("99999999999")); }),
             QStringLiteral("'99999999999' n'est pas une valeur entière correcte"));
    QCOMPARE(convertError([] { StrToInt(QStringLiteral("5 ")); }),
             QStringLiteral("'5 ' n'est pas une valeur entière correcte"));
    QCOMPARE(StrToInt(QStringLiteral("-15")), -15);
    QCOMPARE(StrToInt(QStringLiteral("$1F")), 31);
    QCOMPARE(StrToInt(QStringLiteral(" 7")), 7);
    // A bad field is still told at each pass, bad options or not; bad
    // options alone are told at the load, and the entry is never due.
    QCOMPARE(convertError([&] { dueAt(QStringLiteral("a|0|0|0|0|0|0|0|0|x|jours=0|"), noon); }),
             QStringLiteral("'a' n'est pas une valeur entière correcte"));
    const DueEntry badList(ScheduleEntry::fromLine(QStringLiteral("0|12|0|1|0|0|0|0|0|x|jours=1,x|")));
    QCOMPARE(badList.optionsError(), QStringLiteral("'1,x' n'est pas une liste de jours du mois correcte"));
    QCOMPARE(DueEntry(ScheduleEntry::fromLine(QStringLiteral("0|12|0|1|0|0|0|0|0|x|mois=0|"))).optionsError(),
             QStringLiteral("'0' n'est pas une liste de mois correcte"));
    for (const char *limit : {"0", "1441", "10m", ""}) {
        const DueEntry bad(ScheduleEntry::fromLine(QStringLiteral("0|12|0|1|0|0|0|0|0|x|max=%1|").arg(limit)));
        QCOMPARE(bad.optionsError(),
                 QStringLiteral("'%1' n'est pas une durée correcte (1 à 1440 minutes)").arg(limit));
    }
    QVERIFY(DueEntry(ScheduleEntry::fromLine(QStringLiteral("0|12|0|1|0|0|0|0|0|x|max=1440;rattrapage|")))
                .catchesUp());
}

QTEST_GUILESS_MAIN(TestDueRules)
#include "tst_duerules.moc"
