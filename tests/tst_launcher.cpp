#include "journal/eventrecorder.h"
#include "platform/platform.h"
#include "runner/launcher.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

struct Harness
{
    explicit Harness(const QString &programDirectory)
        : events(programDirectory,
                 {[this](const QString &time, const QString &detail) {
                      log << "row " + time + "|" + detail;
                  },
                  [] { return true; }, [this] { log << QStringLiteral("signal"); },
                  [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 37)); },
                  [](const QTime &t) { return t.toString(QStringLiteral("HH:mm:ss")); }}),
          launcher(events, {[](const QString &path, const QString &parameters) {
                                Platform::openTarget(path, parameters);
                            },
                            [this] { ++pumps; },
                            [this](const QString &url) { log << "http " + url; }})
    {
    }
    EventRecorder events;
    Launcher launcher;
    QStringList log;
    int pumps = 0;
};

void writeExecutable(const QString &path, const QByteArray &script)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(script);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void programGetsPlainArguments();
    void documentGoesToTheAssociatedApplication();
    void missingTargetsAndFolders();
    void webAddressesGoToTheUrlTask();
};

void TestLauncher::programGetsPlainArguments()
{
    TestProgramDir dir;
    const QString script = dir.file(QStringLiteral("job.sh"));
    writeExecutable(script, "#!/bin/sh\n"
                            "out=\"$(dirname \"$0\")/marker\"\n"
                            "pwd > \"$out.tmp\"\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out.tmp\"; done\n"
                            "mv \"$out.tmp\" \"$out\"\n");
    Harness h(dir.path());
    const QString parameters = QStringLiteral("a;b \"$(touch pwned)\" | `touch pwned2` c");
    h.launcher.Exe(script, parameters);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("marker"))), 10000);
    QCOMPARE(dir.read(QStringLiteral("marker")),
             QDir::currentPath().toUtf8() + "\na;b\n$(touch pwned)\n|\n`touch\npwned2`\nc\n");
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned2"))));
    QCOMPARE(h.log, QStringList{"row 14:30:37|" + script + " " + parameters});
    QCOMPARE(h.pumps, 1);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             ("14:30:37;" + script + " " + parameters + "\r\n").toUtf8());
}

void TestLauncher::documentGoesToTheAssociatedApplication()
{
    // A stand-in for the desktop's opener, first on the PATH.
    TestProgramDir bin;
    writeExecutable(bin.file(QStringLiteral("xdg-open")),
                    "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/opened.tmp\"\n"
                    "mv \"$(dirname \"$0\")/opened.tmp\" \"$(dirname \"$0\")/opened\"\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QDir::toNativeSeparators(bin.path()).toUtf8() + ":" + path);

    TestProgramDir dir;
    dir.write(QStringLiteral("report.txt"), "not a program");
    Harness h(dir.path());
    h.launcher.ExecuteWait(dir.file(QStringLiteral("report.txt")));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(bin.file(QStringLiteral("opened"))), 10000);
    qputenv("PATH", path);
    QCOMPARE(bin.read(QStringLiteral("opened")), (dir.file(QStringLiteral("report.txt")) + "\n").toUtf8());
    QCOMPARE(h.log, QStringList{"row 14:30:37|" + dir.file(QStringLiteral("report.txt"))});
    QCOMPARE(h.pumps, 1);
}

void TestLauncher::missingTargetsAndFolders()
{
    TestProgramDir dir;
    Harness h(dir.path());
    const QString missing = dir.file(QStringLiteral("gone.sh"));
    h.launcher.Exe(missing, QString());
    h.launcher.ExecuteWait(dir.path());
    h.launcher.ExecuteWait(QStringLiteral("HTTP://host/x.php"));
    QCOMPARE(h.log, (QStringList{"row 14:30:37 Fichier inexistant|" + missing + " ", "signal",
                                 "row 14:30:37 Fichier inexistant|" + dir.path(), "signal",
                                 "row 14:30:37 Fichier inexistant|HTTP://host/x.php", "signal"}));
    QCOMPARE(h.pumps, 0);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             ("14:30:37 Fichier inexistant;" + missing + " \r\n" +
              "14:30:37 Fichier inexistant;" + dir.path() + "\r\n" +
              "14:30:37 Fichier inexistant;HTTP://host/x.php\r\n")
                 .toUtf8());
}

void TestLauncher::webAddressesGoToTheUrlTask()
{
    TestProgramDir dir;
    Harness h(dir.path());
    h.launcher.ExecuteWait(QStringLiteral("see http://host/a.php"));
    QCOMPARE(h.log, QStringList{"http see http://host/a.php"});
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("20261208.log"))));
}

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
