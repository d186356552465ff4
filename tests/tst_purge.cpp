#include "app/Unit1.h"
#include "journal/eventspage.h"
#include "journal/purge.h"
#include "testform.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

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
    dir.write("serie.ini", "[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=0\r\nCheckBox_9=1\r\n");

    auto created = makeTestForm(dir); // the start-up purge, with 0 days
    TForm1 &form = *created;

    QVERIFY(!QFile::exists(dir.file("20200101.log")));
    QVERIFY(QFile::exists(dir.file("20991231.log")));
    QVERIFY(QFile::exists(dir.file("backup.log")));
    QVERIFY(QFile::exists(dir.file("scripts/20200101.log")));
    QVERIFY(QFile::exists(dir.file("scripts/deep/job.log")));
    QCOMPARE(form.TabSheet1->ListView1->topLevelItemCount(), 0);

    // On demand, from the menu, with the value the user set.
    writeDated(dir, "20210101.log", now.addDays(-3));
    writeDated(dir, "20210102.log", now.addDays(-1));
    form.TabSheet1->SpinEdit_1->setValue(2);
    form.d();
    QVERIFY(!QFile::exists(dir.file("20210101.log")));
    QVERIFY(QFile::exists(dir.file("20210102.log")));
}

void TestPurge::purgeNeedsBothSwitches()
{
    TestProgramDir dir;
    dir.write("cron-bat.dat", "\r\n");
    writeDated(dir, "20200101.log", QDateTime::currentDateTime().addDays(-30));
    dir.write("serie.ini", "[Form1]\r\nCheckBox_1=0\r\n");
    auto created = makeTestForm(dir);
    TForm1 &form = *created;
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    form.d();
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    form.TabSheet1->CheckBox_1->setChecked(true);
    form.TabSheet1->CheckBox_9->setChecked(false);
    form.d();
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    form.TabSheet1->CheckBox_9->setChecked(true);
    form.d();
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
    dir.write("serie.ini", "[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=1\r\nCheckBox_9=1\r\n");
    auto created = makeTestForm(dir);
    // Kept as Windows keeps a read-only file, even for root.
    QVERIFY(QFile::exists(dir.file("20200101.log")));
    QVERIFY(!QFile::exists(dir.file("20200102.log")));
    QVERIFY(QFileInfo::exists(dir.file("20200103.log")));
}

QTEST_MAIN(TestPurge)
#include "tst_purge.moc"
