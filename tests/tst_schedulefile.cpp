#include "files/runtimeerror.h"
#include "schedule/scheduleentry.h"
#include "schedule/schedulefile.h"
#include "schedule/schedulelines.h"
#include "testprogramdir.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class TestScheduleFile : public QObject
{
    Q_OBJECT
private slots:
    void newFileIsExactlyCrLf();
    void appendEntryWritesOneLine();
    void appendToMissingFileFails();
    void readLines_data();
    void readLines();
    void writeBackKeepsEmptyLinesInPlace();
    void writeBackOfEmptyListLeavesFile();
    void failedWriteBackLeavesOldFileWhole();
    void unwritableDirectoryGivesAccessDenied();
    void stampSeesSameSizeEdit();
    void deleteAtNeverRemovesHeader();
};

void TestScheduleFile::newFileIsExactlyCrLf()
{
    TestProgramDir dir;
    ScheduleFile file(dir.path());
    QVERIFY(!file.exists());
    file.CreateScheduleFile();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"));
    QCOMPARE(file.readLines(), QStringList{QString()});
    QCOMPARE(file.stamp().size, qint64(2));
    // Creating again empties an existing file.
    file.AppendScheduleLine(QStringLiteral("x"));
    file.CreateScheduleFile();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"));
}

void TestScheduleFile::appendEntryWritesOneLine()
{
    TestProgramDir dir;
    ScheduleFile file(dir.path());
    file.CreateScheduleFile();
    file.AppendEntry(ScheduleEntry::fromLine(QStringLiteral("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|")));
    ScheduleEntry entry;
    entry.minute = QStringLiteral("15");
    entry.hour = QStringLiteral("0");
    entry.days.fill(QStringLiteral("0"));
    entry.target = QStringLiteral("é.cmd -q");
    file.AppendEntry(entry);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")),
             QByteArray("\r\n30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|\r\n"
                        "15|0|0|0|0|0|0|0|0|\xc3\xa9.cmd -q|\r\n"));
}

void TestScheduleFile::appendToMissingFileFails()
{
    TestProgramDir dir;
    ScheduleFile file(dir.path());
    try {
        file.AppendScheduleLine(QStringLiteral("1|1|1|0|0|0|0|0|0|x|"));
        QFAIL("appending to a deleted schedule must fail");
    } catch (const EInOutError &e) {
        QCOMPARE(e.message(), QStringLiteral("Fichier introuvable"));
    }
    QVERIFY(!file.exists());
}

void TestScheduleFile::readLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("zero bytes: no header line") << QByteArray() << QStringList();
    QTest::newRow("new file") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("empty lines kept")
        << QByteArray("\r\na|\r\n\r\nb|\r\n") << QStringList{"", "a|", "", "b|"};
    QTest::newRow("LF alone") << QByteArray("h\na\n") << QStringList{"h", "a"};
    QTest::newRow("last line without end") << QByteArray("h\r\na") << QStringList{"h", "a"};
}

void TestScheduleFile::readLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), bytes);
    QCOMPARE(ScheduleFile(dir.path()).readLines(), lines);
}

void TestScheduleFile::writeBackKeepsEmptyLinesInPlace()
{
    TestProgramDir dir;
    const QByteArray bytes("head\r\n1|2|0|0|0|0|0|0|1|a|\r\n\r\n3|4|0|0|0|0|0|0|1|b|\r\n");
    dir.write(QStringLiteral("cron-bat.dat"), bytes);
    ScheduleFile file(dir.path());
    file.writeBack(file.readLines());
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), bytes);
}

void TestScheduleFile::writeBackOfEmptyListLeavesFile()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "keep\r\n");
    ScheduleFile(dir.path()).writeBack({});
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), QByteArray("keep\r\n"));
}

void TestScheduleFile::failedWriteBackLeavesOldFileWhole()
{
    // A file-size limit makes the write fail even for root, as a full disk would.
    TestProgramDir dir;
    const QByteArray old("\r\n1|2|0|0|0|0|0|0|1|old|\r\n");
    dir.write(QStringLiteral("cron-bat.dat"), old);
    QStringList lines{QString()};
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("1|2|0|0|0|0|0|0|1|C:\\a\\rather\\long\\target%1.bat|").arg(i);

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        ScheduleFile(dir.path()).writeBack(lines);
    } catch (const EInOutError &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(message, QStringLiteral("Disque plein"));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"cron-bat.dat"});
}

void TestScheduleFile::unwritableDirectoryGivesAccessDenied()
{
    TestProgramDir dir;
    const QByteArray old("\r\n1|2|0|0|0|0|0|0|1|old|\r\n");
    dir.write(QStringLiteral("cron-bat.dat"), old);
    giveToUnprivilegedUser(dir.path());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // As root the write would pass: the check runs as an ordinary user.
    const bool refused = asUnprivilegedUser([&] {
        try {
            ScheduleFile(dir.path()).writeBack({QString(), QStringLiteral("new|")});
        } catch (const EInOutError &e) {
            return e.message() == QStringLiteral("Accès au fichier refusé");
        }
        return false;
    });
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    QVERIFY(refused);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), old);
}

void TestScheduleFile::stampSeesSameSizeEdit()
{
    TestProgramDir dir;
    ScheduleFile file(dir.path());
    QCOMPARE(file.stamp(), ScheduleFile::Stamp{});
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n1|2|0|0|0|0|0|0|1|a|\r\n");
    const ScheduleFile::Stamp before = file.stamp();
    // Same size, other content, later time.
    TestProgramDir::setModified(file.path(), before.modified.addSecs(-10));
    const ScheduleFile::Stamp older = file.stamp();
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n5|2|0|0|0|0|0|0|1|a|\r\n");
    const ScheduleFile::Stamp after = file.stamp();
    QCOMPARE(after.size, older.size);
    QVERIFY(!(after == older));
}

void TestScheduleFile::deleteAtNeverRemovesHeader()
{
    ScheduleLines lines;
    for (const char *line : {"", "a|", "", "b|"})
        lines.add(QString::fromLatin1(line));
    lines.DeleteAt(0);
    lines.DeleteAt(-1);
    lines.DeleteAt(4);
    QCOMPARE(lines.count(), 4);
    lines.setItemIndex(1);
    QCOMPARE(lines.itemIndex(), 1);
    lines.DeleteAt(lines.itemIndex());
    QCOMPARE(lines.items(), (QStringList{"", "", "b|"}));
    QCOMPARE(lines.itemIndex(), -1);
    lines.setItemIndex(7);
    QCOMPARE(lines.itemIndex(), -1);
}

QTEST_GUILESS_MAIN(TestScheduleFile)
#include "tst_schedulefile.moc"
