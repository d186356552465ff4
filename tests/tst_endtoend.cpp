#include "scriptedserver.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

// The program itself, in a directory of its own: an entry saved in the
// schedule file runs, and its start or failure reaches the day's journal.
class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void dueEntriesRunAndAreJournalled();
};

void TestEndToEnd::dueEntriesRunAndAreJournalled()
{
    TestProgramDir dir;
    QVERIFY(QFile::copy(QStringLiteral(PENDULIX_EXECUTABLE), dir.file(QStringLiteral("Pendulix"))));
    QDir(dir.path()).mkdir(QStringLiteral("run"));
    QFile::setPermissions(dir.file(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QString job = dir.file(QStringLiteral("job.sh"));
    {
        QFile script(job);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/ran.tmp\"\n"
                     "mv \"$(dirname \"$0\")/ran.tmp\" \"$(dirname \"$0\")/ran\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(dir.file(QStringLiteral("Pendulix")), {});
    QVERIFY(program.waitForStarted());

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("ran"))), 15000);
    QCOMPARE(dir.read(QStringLiteral("ran")), QByteArray("hello\n"));
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

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
