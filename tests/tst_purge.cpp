#include "engine/schedulingengine.h"
#include "journal/purge.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>
#include <sys/stat.h>

namespace {

const QDateTime kTenthNine(QDate(2026, 12, 10), QTime(9, 0));

void writeDated(const TestProgramDir &dir, const QString &name, const QDateTime &when)
{
    QDir(dir.path()).mkpath(QFileInfo(dir.file(name)).path());
    dir.write(name, "14:30:37;x\r\n");
    TestProgramDir::setModified(dir.file(name), when);
}

} // namespace

class TestPurge : public QObject
{
    Q_OBJECT
private slots:
    void ageRule_data();
    void ageRule();
    void journalNames();
    void purgeDeletesOnlyOldJournals();
    void purgeNeedsBothSwitches();
    void readOnlyJournalsAreKept();
    void aResidentProgramPurgesAtMidnight();
};

void TestPurge::ageRule_data()
{
    QTest::addColumn<QDateTime>("written");
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("expired");
    QTest::newRow("09:30 on the 9th kept") << QDateTime(QDate(2026, 12, 9), QTime(9, 30)) << 1 << false;
    QTest::newRow("08:59 on the 9th deleted") << QDateTime(QDate(2026, 12, 9), QTime(8, 59)) << 1 << true;
    QTest::newRow("exactly the limit kept") << QDateTime(QDate(2026, 12, 9), QTime(9, 0)) << 1 << false;
    QTest::newRow("future kept") << QDateTime(QDate(2027, 1, 1), QTime(0, 0)) << 0 << false;
    QTest::newRow("0 days: anything before now") << kTenthNine.addSecs(-2) << 0 << true;
    QTest::newRow("0 days: now kept") << kTenthNine << 0 << false;
    QTest::newRow("365 days") << QDateTime(QDate(2025, 12, 9), QTime(9, 0)) << 365 << true;
}

void TestPurge::ageRule()
{
    QFETCH(QDateTime, written);
    QFETCH(int, days);
    QFETCH(bool, expired);
    QCOMPARE(journalFileExpired(written, kTenthNine, days), expired);
}


void TestPurge::journalNames()
{
    // Last-write times count in two-second steps: an odd second rounds down.
    const QDateTime oddNow(QDate(2026, 12, 10), QTime(9, 0, 1));
    QVERIFY(journalFileExpired(QDateTime(QDate(2026, 12, 9), QTime(9, 0, 1)), oddNow, 1));
    QVERIFY(!journalFileExpired(QDateTime(QDate(2026, 12, 9), QTime(9, 0, 2)), oddNow, 1));

    QVERIFY(isJournalFileName("20261208.log"));
    QVERIFY(!isJournalFileName("backup.log"));
    QVERIFY(!isJournalFileName("2026120.log"));
    QVERIFY(!isJournalFileName("20261208.log.old"));
    QVERIFY(!isJournalFileName("20261208.LOG"));
    QVERIFY(isOutputFileName("20261208-143000-12.txt"));
    QVERIFY(!isOutputFileName("20261208-1430-1.txt"));
    QVERIFY(!isOutputFileName("20261208-143000-.txt"));
    QVERIFY(QDir::match(kJournalFilePattern, "20261208.log"));
    QVERIFY(!QDir::match(kJournalFilePattern, "2026120x.log"));
}

void TestPurge::purgeDeletesOnlyOldJournals()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    const QDateTime now = QDateTime::currentDateTime();
    writeDated(dir, "20200101.log", now.addDays(-30));
    writeDated(dir, "20991231.log", now.addSecs(3600));
    writeDated(dir, "backup.log", now.addDays(-30));
    writeDated(dir, "scripts/20200101.log", now.addDays(-30));
    writeDated(dir, "scripts/deep/job.log", now.addDays(-30));
    const QString today = now.date().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
    writeDated(dir, today, now.addSecs(-2));
    // Old runs' output goes with them; not what we did not name, nor today's runs.
    const QString todaysRun = "sorties/" + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + "-1.txt";
    for (const QString &name : {QStringLiteral("sorties/20200101-030000-1.txt"),
                                QStringLiteral("sorties/notes.txt"), QStringLiteral("20200101-030000-1.txt"),
                                todaysRun})
        writeDated(dir, name, name == todaysRun ? now.addSecs(-2) : now.addDays(-30));

    SchedulingEngine engine({.programDirectory = dir.path()});
    QSignalSpy recorded(&engine, &SchedulingEngine::recorded);
    engine.setSettings({.journalling = true, .purge = true, .purgeAfterDays = 0});
    engine.startUp(); // the start-up purge, with 0 days

    QVERIFY(!QFile::exists(dir.file("20200101.log")));
    QVERIFY(QFile::exists(dir.file("20991231.log")));
    QVERIFY(QFile::exists(dir.file("backup.log")));
    QVERIFY(QFile::exists(dir.file("scripts/20200101.log")));
    QVERIFY(QFile::exists(dir.file("scripts/deep/job.log")));
    // Today's journal, being written, is never old.
    QVERIFY(QFile::exists(dir.file(today)));
    QVERIFY(!QFile::exists(dir.file("sorties/20200101-030000-1.txt")));
    QVERIFY(QFile::exists(dir.file("sorties/notes.txt")));
    QVERIFY(QFile::exists(dir.file("20200101-030000-1.txt")));
    QVERIFY(QFile::exists(dir.file(todaysRun)));
    QCOMPARE(recorded.count(), 0);

    // On demand, with the value the user set.
    writeDated(dir, "20210101.log", now.addDays(-3));
    writeDated(dir, "20210102.log", now.addDays(-1));
    engine.setSettings({.journalling = true, .purge = true, .purgeAfterDays = 2});
    engine.purgeJournals();
    QVERIFY(!QFile::exists(dir.file("20210101.log")));
    QVERIFY(QFile::exists(dir.file("20210102.log")));
}

void TestPurge::purgeNeedsBothSwitches()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    writeDated(dir, "20200101.log", QDateTime::currentDateTime().addDays(-30));
    SchedulingEngine engine({.programDirectory = dir.path()});
    engine.setSettings({.journalling = true, .purge = false, .purgeAfterDays = 1});
    engine.startUp();
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    engine.setSettings({.journalling = false, .purge = true, .purgeAfterDays = 1});
    engine.purgeJournals();
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    engine.setSettings({.journalling = true, .purge = true, .purgeAfterDays = 1});
    engine.purgeJournals();
    QVERIFY(!QFile::exists(dir.file("20200101.log")));
}

void TestPurge::readOnlyJournalsAreKept()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    writeDated(dir, "20200101.log", old);
    writeDated(dir, "20200102.log", old);
    QVERIFY(QFile::setPermissions(dir.file("20200101.log"), QFileDevice::ReadOwner));
    // A pipe with a journal's name is not a journal file.
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file("20200103.log")).constData(), 0600), 0);
    SchedulingEngine engine({.programDirectory = dir.path()});
    engine.startUp();
    // Kept as Windows keeps a read-only file, even for root.
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    QVERIFY(!QFile::exists(dir.file("20200102.log")));
    QVERIFY(QFileInfo::exists(dir.file("20200103.log")));
}

void TestPurge::aResidentProgramPurgesAtMidnight()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    QDateTime now(QDate(2026, 12, 8), QTime(23, 59, 30));
    SchedulingEngine engine({.programDirectory = dir.path(), .clock = [&now] { return now; }});
    engine.setSettings({.journalling = true, .purge = true, .purgeAfterDays = 1});
    engine.startUp();
    // Written while it ran, old by the next midnight.
    for (const char *name : {"20261205.log", "sorties/20261205-030000-1.txt"})
        writeDated(dir, name, now.addDays(-3));
    engine.minuteCheck();
    QVERIFY(QFile::exists(dir.file("20261205.log")));
    now = now.addSecs(40); // 00:00:10
    engine.minuteCheck();
    QVERIFY(!QFile::exists(dir.file("20261205.log")));
    QVERIFY(!QFile::exists(dir.file("sorties/20261205-030000-1.txt")));
    // By the same switches as at start-up.
    writeDated(dir, "20261206.log", now.addDays(-3));
    engine.setSettings({.journalling = true, .purge = false, .purgeAfterDays = 1});
    now = now.addDays(1);
    engine.minuteCheck();
    QVERIFY(QFile::exists(dir.file("20261206.log")));
}

QTEST_GUILESS_MAIN(TestPurge)
#include "tst_purge.moc"
