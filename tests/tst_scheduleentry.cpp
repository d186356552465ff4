#include "schedule/fields.h"
#include "schedule/lineedit.h"
#include "schedule/scheduleentry.h"

#include <QTest>

class TestScheduleEntry : public QObject
{
    Q_OBJECT
private slots:
    void fieldsAsGetFieldReadsThem_data();
    void fieldsAsGetFieldReadsThem();
    void intervalRules_data();
    void intervalRules();
    void newEntryLine();
    void optionsKeepWhatTheyDoNotKnow();
    void pauseAndResumeGiveTheLineBack_data();
    void pauseAndResumeGiveTheLineBack();
    void editReplacesOnlyWhatThePageSays();
};

void TestScheduleEntry::fieldsAsGetFieldReadsThem_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("plain") << "30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|";
    QTest::newRow("no last bar") << "45|0|0|0|0|0|0|0|0|x";
    QTest::newRow("cut short") << "1|0|0|0|0|0|0|0";
    QTest::newRow("empty") << "";
    QTest::newRow("bars only") << "||||||||||";
    QTest::newRow("a piece after the target") << "1|0|0|0|0|0|0|0|0|t|extra|";
    QTest::newRow("two pieces and a tail") << "1|0|0|0|0|0|0|0|0|t|a=1;b|c|tail";
    QTest::newRow("odd flags") << "0|12|2|1|1|1|1|1|1|odd-flag|";
    QTest::newRow("blanks kept") << "7| 0|0|0|0|0|0|0|0| a b |";
}

void TestScheduleEntry::fieldsAsGetFieldReadsThem()
{
    // Every reader of a line goes through the entry: it must read each field
    // exactly as GetField does, for odd lines as for plain ones.
    QFETCH(QString, line);
    const QChar bar = QLatin1Char('|');
    const ScheduleEntry entry = ScheduleEntry::fromLine(line);
    QCOMPARE(entry.minute, fieldOf(line, bar, 1));
    QCOMPARE(entry.hour, fieldOf(line, bar, 2));
    for (int day = 0; day < 7; ++day)
        QCOMPARE(entry.days[day], fieldOf(line, bar, day + 3));
    QCOMPARE(entry.target, fieldOf(line, bar, 10));
    const int pieces = int(line.count(bar));
    QCOMPARE(entry.following.size(), qMax(0, pieces - 10));
    for (int n = 11; n <= pieces; ++n)
        QCOMPARE(entry.following.at(n - 11), fieldOf(line, bar, n));
    // A line of whole fields is what the entry writes again.
    if (pieces >= 10 && line.endsWith(bar))
        QCOMPARE(entry.toLine(), line);
}

void TestScheduleEntry::intervalRules_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("runsAsInterval");
    QTest::addColumn<bool>("showsAsInterval");
    QTest::newRow("all zero") << "15|0|0|0|0|0|0|0|0|x|" << true << true;
    QTest::newRow("one day") << "15|0|0|0|0|0|0|1|0|x|" << false << false;
    // Neither a weekday entry that could run nor an interval entry for the
    // scheduler; the view still marks it as one.
    QTest::newRow("a flag 2") << "15|0|0|0|2|0|0|0|0|x|" << false << true;
    QTest::newRow("empty line") << "" << false << true;
    QTest::newRow("cut short") << "15|0|0|0|" << false << true;
    QTest::newRow("flag 01") << "15|0|01|0|0|0|0|0|0|x|" << false << true;
}

void TestScheduleEntry::intervalRules()
{
    QFETCH(QString, line);
    QFETCH(bool, runsAsInterval);
    QFETCH(bool, showsAsInterval);
    const ScheduleEntry entry = ScheduleEntry::fromLine(line);
    QCOMPARE(entry.isIntervalEntry(), runsAsInterval);
    QCOMPARE(entry.showsAsInterval(), showsAsInterval);
}

void TestScheduleEntry::newEntryLine()
{
    ScheduleEntry entry;
    entry.minute = QStringLiteral("30");
    entry.hour = QStringLiteral("14");
    entry.days.fill(QStringLiteral("0"));
    entry.days[1] = QStringLiteral("1");
    entry.target = QStringLiteral("C:\\jobs\\backup.bat -q");
    QCOMPARE(entry.toLine(), QStringLiteral("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat -q|"));
    QVERIFY(entry.runsOn(2));
    QVERIFY(!entry.runsOn(1));
    QVERIFY(!entry.runsOn(8));
    entry.following << QStringLiteral("nom=x");
    QCOMPARE(entry.toLine(), QStringLiteral("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat -q|nom=x|"));
}

void TestScheduleEntry::optionsKeepWhatTheyDoNotKnow()
{
    const ScheduleEntry entry = ScheduleEntry::fromLine(
        QStringLiteral("0|3|1|1|1|1|1|1|1|/usr/local/bin/backup|délai=5;jours=1;;nom=a=b;x|ignored|"));
    EntryOptions options = entry.options();
    QCOMPARE(options.value(QStringLiteral("jours")), QStringLiteral("1"));
    // A value runs to the end of its item, '=' included.
    QCOMPARE(options.name(), QStringLiteral("a=b"));
    QCOMPARE(options.value(QStringLiteral("x")), QString());
    QVERIFY(!options.has(QStringLiteral("mois")));
    QVERIFY(!options.paused());
    // Changed in place, added at the end, removed: every other item as it was.
    options.set(QStringLiteral("jours"), QStringLiteral("1,15,fin"));
    options.set(QStringLiteral("pause"));
    QCOMPARE(options.toField(), QStringLiteral("délai=5;jours=1,15,fin;;nom=a=b;x;pause"));
    QVERIFY(options.paused());
    options.remove(QStringLiteral("pause"));
    options.remove(QStringLiteral("jours"));
    QCOMPARE(options.toField(), QStringLiteral("délai=5;;nom=a=b;x"));
    // No eleventh field, no options; an empty one, none either.
    QVERIFY(ScheduleEntry::fromLine(QStringLiteral("1|0|0|0|0|0|0|0|0|x|")).options().isEmpty());
    QVERIFY(ScheduleEntry::fromLine(QStringLiteral("1|0|0|0|0|0|0|0|0|x||")).options().isEmpty());
}

void TestScheduleEntry::pauseAndResumeGiveTheLineBack_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("paused");
    QTest::addColumn<QString>("resumed");
    const QString head = QStringLiteral("0|3|1|1|1|1|1|1|1|/b|");
    QTest::newRow("no options") << head << head + "pause|" << head;
    QTest::newRow("options it does not know")
        << head + "x-retry=3;;nom=A|" << head + "x-retry=3;;nom=A;pause|" << head + "x-retry=3;;nom=A|";
    QTest::newRow("text after the last bar") << head + "tail" << head + "pause|tail" << head + "tail";
    QTest::newRow("an empty field before later ones")
        << head + "|later|" << head + "pause|later|" << head + "|later|";
    QTest::newRow("an empty field ending the line") << head + "|" << head + ";pause|" << head + "|";
    QTest::newRow("an empty field and a tail") << head + "|tail" << head + ";pause|tail" << head + "|tail";
    QTest::newRow("a switch in a wrong form") << head + "pause=0;nom=A|" << head + "pause;nom=A|" << head + "nom=A|";
    QTest::newRow("already suspended, written first")
        << head + "pause;nom=A|" << head + "pause;nom=A|" << head + "nom=A|";
    // Bytes that are no UTF-8 are held as characters of their own.
    const QString e9 = QChar(0xdce9);
    const QString held = "0|3|1|1|1|1|1|1|1|/b" + e9 + "|nom=caf" + e9 + "|";
    QTest::newRow("bytes of another code page")
        << held << held.chopped(1) + ";pause|" << held;
    QTest::newRow("a line too short for an entry")
        << QStringLiteral("1|2|") << "1|2|" + QString(8, u'|') + "pause|" << "1|2|" + QString(8, u'|');
}

void TestScheduleEntry::pauseAndResumeGiveTheLineBack()
{
    QFETCH(QString, line);
    QFETCH(QString, paused);
    QFETCH(QString, resumed);
    QCOMPARE(LineEdit::withPause(line, true), paused);
    QVERIFY(ScheduleEntry::fromLine(paused).options().paused());
    QCOMPARE(LineEdit::withPause(paused, false), resumed);
    QCOMPARE(LineEdit::withPause(resumed, false), resumed);
}

void TestScheduleEntry::editReplacesOnlyWhatThePageSays()
{
    EntryForm form;
    form.minute = QStringLiteral("5");
    form.hour = QStringLiteral("6");
    form.days = {true, false, false, false, false, false, true};
    form.target = QStringLiteral("/new job.sh -q");
    // A new entry without options is written as entries always were.
    QCOMPARE(LineEdit::edited(QString(), form), QStringLiteral("5|6|1|0|0|0|0|0|1|/new job.sh -q|"));
    form.name = QStringLiteral("Sauvegarde mensuelle");
    QCOMPARE(LineEdit::edited(QString(), form),
             QStringLiteral("5|6|1|0|0|0|0|0|1|/new job.sh -q|nom=Sauvegarde mensuelle|"));

    // The options the page does not know, later pieces and trailing text stay;
    // the name emptied goes, a known option keeps its place.
    const QString old = QStringLiteral("30|14|0|1|0|0|0|0|0|/old|x=1;nom=Old;jours=1|later|tail");
    form.name.clear();
    form.monthDays = QStringLiteral("fin");
    form.months = QStringLiteral("1,7");
    form.paused = true;
    form.catchUp = true;
    form.stopAfterMinutes = 90;
    QCOMPARE(LineEdit::edited(old, form),
             QStringLiteral("5|6|1|0|0|0|0|0|1|/new job.sh -q|x=1;jours=fin;mois=1,7;pause;max=90;rattrapage|later|tail"));
    // A limit changed in place, a word cleared.
    form.stopAfterMinutes = 5;
    form.catchUp = false;
    form.alone = true;
    QCOMPARE(LineEdit::edited(QStringLiteral("0|0|0|0|0|0|0|0|1|/x|max=90;rattrapage;y|"), form),
             QStringLiteral("5|6|1|0|0|0|0|0|1|/new job.sh -q|max=5;y;jours=fin;mois=1,7;pause;seul|"));
    // A limit the page could not show stays, unless one is set.
    form.stopAfterMinutes = 0;
    QCOMPARE(LineEdit::edited(QStringLiteral("0|0|0|0|0|0|0|0|1|/x|max=abc|"), form),
             QStringLiteral("5|6|1|0|0|0|0|0|1|/new job.sh -q|max=abc;jours=fin;mois=1,7;pause;seul|"));
    form.stopAfterMinutes = 7;
    QCOMPARE(LineEdit::edited(QStringLiteral("0|0|0|0|0|0|0|0|1|/x|max=0|"), form),
             QStringLiteral("5|6|1|0|0|0|0|0|1|/new job.sh -q|max=7;jours=fin;mois=1,7;pause;seul|"));
    // Every option cleared from a field that ends the line: the field goes.
    form = {};
    form.minute = QStringLiteral("30");
    form.hour = QStringLiteral("14");
    form.days[1] = true;
    form.target = QStringLiteral("/old");
    QCOMPARE(LineEdit::edited(QStringLiteral("30|14|0|1|0|0|0|0|0|/old|nom=Old|"), form),
             QStringLiteral("30|14|0|1|0|0|0|0|0|/old|"));

    for (const char *refused : {"a;b", "a|b", "a\nb"})
        QVERIFY2(!LineEdit::canHoldOptionValue(QString::fromLatin1(refused)), refused);
    QVERIFY(LineEdit::canHoldOptionValue(QStringLiteral("Sauvegarde, l'été = 3")));
}

QTEST_GUILESS_MAIN(TestScheduleEntry)
#include "tst_scheduleentry.moc"
