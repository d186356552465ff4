#include "programrun.h"
#include "scriptedserver.h"
#include "testprogramdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

void installProgram(const TestProgramDir &dir)
{
    QVERIFY(ProgramRun::install(dir));
}

void startProgram(const TestProgramDir &dir, QProcess &program)
{
    ProgramRun::start(dir, program);
    QCOMPARE(program.state(), QProcess::Running);
}

void stopProgram(QProcess &program)
{
    QVERIFY(ProgramRun::stop(program));
}

QString writeJob(const TestProgramDir &dir, const QString &name)
{
    return ProgramRun::writeJob(dir, name);
}

} // namespace

// The program itself, in a directory of its own: an entry saved in the
// schedule file runs, and its start or failure reaches the day's journal.
class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void dueEntriesRunAndAreJournalled();
    void silentWebAddressesDoNotDelayPrograms();
    void fileSizeLimitIsRecordedNotFatal();
    void oddFilesNeitherHangNorEndIt_data();
    void oddFilesNeitherHangNorEndIt();
    void restartInsideAMinuteRunsNothingTwice();
};

void TestEndToEnd::dueEntriesRunAndAreJournalled()
{
    TestProgramDir dir;
    installProgram(dir);
    const QString job = writeJob(dir, QStringLiteral("job"));
    ScriptedServer server({ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    const QString url = QStringLiteral("http://127.0.0.1:%1/tick.php").arg(server.port());
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    // Interval entries of one minute are due at every minute, the first
    // tick's included.
    dir.write(QStringLiteral("cron-bat.dat"),
              ("\r\n1|0|0|0|0|0|0|0|0|" + job + " hello|\r\n"
               "1|0|0|0|0|0|0|0|0|" + missing + "|\r\n"
               "1|0|0|0|0|0|0|0|0|" + url + "|\r\n")
                  .toUtf8());

    QProcess program;
    startProgram(dir, program);

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 15000);
    QCOMPARE(dir.read(QStringLiteral("job.sh.ran")), QByteArray("hello\n"));
    QTRY_VERIFY_WITH_TIMEOUT(server.received().startsWith("GET /tick.php HTTP/1.1\r\n"), 15000);

    QStringList journals;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(journals = QDir(dir.path()).entryList({QStringLiteral("*.log")}, QDir::Files)).isEmpty(),
        15000);
    QByteArray journal;
    QTRY_VERIFY_WITH_TIMEOUT((journal = dir.read(journals.first())).count("\r\n") >= 3, 15000);
    const QStringList lines = QString::fromUtf8(journal).split(QStringLiteral("\r\n"));
    const QString time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d");
    QVERIFY2(QRegularExpression("^" + time + ";" + QRegularExpression::escape(job + " hello") + "$")
                 .match(lines.at(0)).hasMatch(), qPrintable(lines.at(0)));
    QVERIFY2(QRegularExpression("^" + time + " Fichier inexistant;" + QRegularExpression::escape(missing) + "$")
                 .match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
    QVERIFY2(QRegularExpression("^" + time + ";" + QRegularExpression::escape(url) + "$")
                 .match(lines.at(2)).hasMatch(), qPrintable(lines.at(2)));

    stopProgram(program);
}

void TestEndToEnd::silentWebAddressesDoNotDelayPrograms()
{
    TestProgramDir dir;
    installProgram(dir);
    const QString job = writeJob(dir, QStringLiteral("job"));
    QList<ScriptedServer *> servers;
    QByteArray schedule = "\r\n";
    for (int i = 0; i < 25; ++i) {
        servers << new ScriptedServer({});
        schedule += "1|0|0|0|0|0|0|0|0|http://127.0.0.1:" + QByteArray::number(servers.last()->port()) +
                    "/silent|\r\n";
    }
    schedule += "1|0|0|0|0|0|0|0|0|" + job.toUtf8() + " after|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);

    QProcess program;
    startProgram(dir, program);
    // Twenty-five silent servers would hold a waiting pass for 80 seconds.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + ".ran"), 15000);
    const QString journal = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + ".log";
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(journal).count("Délai de lecture") == 25, 30000);
    // The program's line comes first: it was written while the requests ran.
    const QList<QByteArray> lines = dir.read(journal).split('\n');
    QVERIFY2(lines.first().endsWith((job + " after\r").toUtf8()), lines.first().constData());
    stopProgram(program);
    qDeleteAll(servers);
}

void TestEndToEnd::fileSizeLimitIsRecordedNotFatal()
{
    TestProgramDir dir;
    installProgram(dir);
    const QString job = writeJob(dir, QStringLiteral("job"));
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n1|0|0|0|0|0|0|0|0|" + job.toUtf8() + "|\r\n");
    // Today's journal already at the limit: every journal line fails.
    const QString journal = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + ".log";
    const QByteArray full(8192, 'x');
    dir.write(journal, full);

    QProcess program;
    program.setChildProcessModifier([] {
        const rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    startProgram(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + ".ran"), 15000);
    QTest::qWait(1500);
    // Still there, and the journal as it was.
    stopProgram(program);
    QCOMPARE(dir.read(journal), full);
}

void TestEndToEnd::oddFilesNeitherHangNorEndIt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    for (const char *name : {"cron-bat.dat", "serie.ini"}) {
        for (const char *kind : {"pipe", "folder", "zero"}) {
            // The settings are written at every hide: a fault there would
            // replace the device itself, so that one is tried on pipes only.
            if (QByteArray(name) == "serie.ini" && QByteArray(kind) == "zero")
                continue;
            QTest::addRow("%s as %s", name, kind) << QString::fromLatin1(name) << QString::fromLatin1(kind);
        }
    }
}

void TestEndToEnd::oddFilesNeitherHangNorEndIt()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    TestProgramDir dir;
    installProgram(dir);
    if (name != QLatin1String("cron-bat.dat"))
        dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    const QString path = dir.file(name);
    if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(name));
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));

    QProcess program;
    startProgram(dir, program);
    // Started, hidden into the tray a second later (which saves the settings),
    // and still there.
    QVERIFY(!program.waitForFinished(2500));
    QElapsedTimer answered;
    answered.start();
    stopProgram(program);
    QVERIFY2(answered.elapsed() < 5000, qPrintable(QString::number(answered.elapsed())));
    if (name == QLatin1String("cron-bat.dat")) {
        const QString journal = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + ".log";
        QVERIFY(dir.read(journal).contains("Acc\xc3\xa8s au fichier refus\xc3\xa9"));
    }
}

void TestEndToEnd::restartInsideAMinuteRunsNothingTwice()
{
    TestProgramDir dir;
    installProgram(dir);
    const QString job = dir.file(QStringLiteral("count.sh"));
    dir.write(QStringLiteral("count.sh"), "#!/bin/sh\necho run >> \"$0.ran\"\n");
    QFile::setPermissions(job, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n1|0|0|0|0|0|0|0|0|" + job + "|\r\n").toUtf8());
    // Both runs inside one minute, with room to spare.
    QTRY_VERIFY_WITH_TIMEOUT(QTime::currentTime().second() < 30, 40000);
    const int minute = QTime::currentTime().minute();
    for (int run = 0; run < 2; ++run) {
        QProcess program;
        startProgram(dir, program);
        QTest::qWait(3000);
        stopProgram(program);
    }
    QCOMPARE(QTime::currentTime().minute(), minute);
    QCOMPARE(dir.read(QStringLiteral("count.sh.ran")), QByteArray("run\n"));
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
