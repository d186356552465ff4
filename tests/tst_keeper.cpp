#include "faultrun.h"
#include "keptrun.h"
#include "testprogramdir.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

// The keeper on its own, with real processes: what it stops, what it keeps
// of the output, and what it never touches.
class TestKeeper : public QObject
{
    Q_OBJECT
private slots:
    void escapesAreStoppedAtTheLimit();
    void leftBehindAfterTheEnd();
    void reusedNumberIsNeverSignalled();
    void outputAsItComes();
    void stopOnRequest();

private:
    // Runs the keeper; its run file made beside, as the program makes it.
    void startKeeper(QProcess &keeper, const TestProgramDir &dir, const QString &output, int limitMs,
                     const QString &script);
    QString m_runFile;
};

void TestKeeper::startKeeper(QProcess &keeper, const TestProgramDir &dir, const QString &output, int limitMs,
                             const QString &script)
{
    m_runFile = KeptRun::runsFolder(dir) + QStringLiteral("/1.run");
    QFile record(m_runFile);
    QVERIFY(record.open(QIODevice::WriteOnly));
    record.write("start 1\n");
    record.close();
    keeper.start(KeptRun::keeper(), KeptRun::arguments(m_runFile, output, limitMs, {script}));
    QVERIFY(keeper.waitForStarted());
}

void TestKeeper::escapesAreStoppedAtTheLimit()
{
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    // One leaves the session, one is left behind by a parent that ended, one
    // shrugs off the first signal; the program itself waits for them all.
    QVERIFY(KeptRun::writeScript(job, "#!/bin/sh\n"
                                      "cd \"$(dirname \"$0\")\"\n"
                                      "setsid sh -c 'echo $$ > escaped; exec sleep 301' &\n"
                                      "sh -c 'sleep 302 & echo $! > orphan' &\n"
                                      "sh -c 'trap \"\" TERM; echo $$ > stubborn; exec sleep 300' &\n"
                                      "exec sleep 303\n"));
    // Long enough for a loaded machine to start them all and see them run
    // before it: the check must not race the limit.
    QProcess keeper;
    startKeeper(keeper, dir, QString(), 5000, job);
    const pid_t escaped = KeptRun::awaitPid(dir.file(QStringLiteral("escaped")));
    const pid_t orphan = KeptRun::awaitPid(dir.file(QStringLiteral("orphan")));
    const pid_t stubborn = KeptRun::awaitPid(dir.file(QStringLiteral("stubborn")));
    QVERIFY(escaped > 0 && orphan > 0 && stubborn > 0);
    // Their numbers are written before their exec: the sleeps come a moment later.
    QTRY_VERIFY_WITH_TIMEOUT(KeptRun::runs(escaped, "sleep 301"), 4000);
    QTRY_VERIFY_WITH_TIMEOUT(KeptRun::runs(orphan, "sleep 302"), 4000);
    const QByteArray end = KeptRun::awaitEnd(m_runFile, 30000);
    QVERIFY2(end.contains("\nresult stopped 5000\n"), end.constData());
    QVERIFY(end.startsWith("start 1\nend "));
    // The one that ignored SIGTERM keeps the keeper for the grace, then goes.
    QVERIFY(KeptRun::finished(keeper, 60000));
    QCOMPARE(keeper.exitCode(), 0);
    for (pid_t pid : {escaped, orphan, stubborn})
        QVERIFY2(FaultRun::processGone(pid), qPrintable(QString::number(pid)));
}

void TestKeeper::leftBehindAfterTheEnd()
{
    for (const int limitMs : {0, 1500}) {
        TestProgramDir dir;
        const QString job = dir.file(QStringLiteral("job.sh"));
        QVERIFY(KeptRun::writeScript(job, "#!/bin/sh\n"
                                          "sleep 304 >/dev/null 2>&1 &\n"
                                          "echo $! > \"$(dirname \"$0\")/left\"\n"
                                          "exit 7\n"));
        QProcess keeper;
        startKeeper(keeper, dir, QString(), limitMs, job);
        // The run ends with the program, whatever it left.
        const QByteArray end = KeptRun::awaitEnd(m_runFile, 10000);
        QVERIFY2(end.contains("\nresult exited 7\n"), end.constData());
        const pid_t left = KeptRun::awaitPid(dir.file(QStringLiteral("left")));
        QVERIFY(left > 0);
        QVERIFY(KeptRun::finished(keeper, 30000));
        // Stopped at the limit when the entry has one, else left alone.
        if (limitMs > 0) {
            QVERIFY(FaultRun::processGone(left));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(KeptRun::runs(left, "sleep 304"), 10000);
            ::kill(left, SIGKILL);
        }
    }
}

void TestKeeper::reusedNumberIsNeverSignalled()
{
    // In a PID namespace of our own, a process of no run's is given the
    // number of the run's stopped program while the keeper waits out its
    // grace: the keeper must never reach it.
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                                            QStringLiteral("--pid"), QStringLiteral("--fork"),
                                            QStringLiteral("--mount"), QStringLiteral("--mount-proc"),
                                            QStringLiteral("sh"), QStringLiteral("-c"),
                                            QStringLiteral("echo 99 > /proc/sys/kernel/ns_last_pid")});
    if (!KeptRun::finished(probe, 10000) || probe.exitCode() != 0)
        QSKIP("no PID namespace of our own with a settable next number here");
    TestProgramDir dir;
    const QString runs = KeptRun::runsFolder(dir);
    QVERIFY(KeptRun::writeScript(dir.file(QStringLiteral("job.sh")),
                                 "#!/bin/sh\n"
                                 // Of a session of its own: the run's session ends at
                                 // the first signal and its number is free again.
                                 "setsid sh -c 'trap \"\" TERM; exec sleep 300' &\n"
                                 "echo $$ > \"$(dirname \"$0\")/leader\"\n"
                                 "exec sleep 300\n"));
    QVERIFY(KeptRun::writeScript(
        dir.file(QStringLiteral("namespace.sh")),
        "#!/bin/sh\n"
        "d=$1\n"
        "echo 'start 1' > \"$d/runs/1.run\"\n"
        "\"$2\" \"$d/runs/1.run\" '' 0 '' '' 1000 \"$d/job.sh\" &\n"
        "keeper=$!\n"
        "while [ ! -s \"$d/leader\" ]; do sleep 0.05; done\n"
        "while [ ! -e \"$d/runs/ended/1.run\" ]; do sleep 0.05; done\n"
        "leader=$(cat \"$d/leader\")\n"
        // The stopped leader's number, to a session leader that is none of the keeper's.
        "echo $((leader - 1)) > /proc/sys/kernel/ns_last_pid\n"
        "setsid sleep 60 &\n"
        "victim=$!\n"
        "[ \"$victim\" -eq \"$leader\" ] || { echo \"got $victim, not $leader\"; exit 3; }\n"
        "wait $keeper\n"
        "kill -0 \"$victim\" && echo 'victim alive'\n"
        "kill -9 \"$victim\"\n"));
    QProcess inside;
    inside.setProcessChannelMode(QProcess::MergedChannels);
    inside.start(QStringLiteral("unshare"),
                 {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--pid"),
                  QStringLiteral("--fork"), QStringLiteral("--mount"), QStringLiteral("--mount-proc"),
                  dir.file(QStringLiteral("namespace.sh")), dir.path(), KeptRun::keeper()});
    QVERIFY(KeptRun::finished(inside, 90000));
    const QByteArray said = inside.readAll();
    QVERIFY2(said.contains("victim alive"), said.constData());
    QVERIFY(QFile(runs + QStringLiteral("/ended/1.run")).open(QIODevice::ReadOnly));
}

void TestKeeper::outputAsItComes()
{
    const mode_t previous = ::umask(022);
    struct Restore
    {
        mode_t mask;
        ~Restore() { ::umask(mask); }
    } restore{previous};
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    const QString output = dir.file(QStringLiteral("out.txt"));
    // A line, then a long wait with a child that holds the output.
    QVERIFY(KeptRun::writeScript(job, "#!/bin/sh\n"
                                      "echo starting\n"
                                      "sleep 30 &\n"
                                      "touch \"$0.said\"\n"
                                      "wait\n"));
    QProcess keeper;
    startKeeper(keeper, dir, output, 0, job);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(job + QStringLiteral(".said")), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(dir.read(QStringLiteral("out.txt")), QByteArray("starting\n"), 1000);
    QCOMPARE(KeptRun::modeOf(output), 0600);
    keeper.kill();
    QVERIFY(KeptRun::finished(keeper, 10000));

    // What passes the first MiB is read, dropped and told; a silent run leaves no file.
    QVERIFY(KeptRun::writeScript(job, "#!/bin/sh\nhead -c 3145728 /dev/zero\n"));
    QFile::remove(output);
    QProcess big;
    startKeeper(big, dir, output, 0, job);
    QVERIFY(KeptRun::finished(big, 30000));
    QCOMPARE(QFileInfo(output).size(), qint64(1 << 20) + qint64(sizeof "\n[2097152 octets de sortie non conservés]\n") - 1);
    QVERIFY(dir.read(QStringLiteral("out.txt")).endsWith("\n[2097152 octets de sortie non conservés]\n"));
    QVERIFY(KeptRun::writeScript(job, "#!/bin/sh\nexit 0\n"));
    QFile::remove(output);
    QProcess silent;
    startKeeper(silent, dir, output, 0, job);
    QVERIFY(KeptRun::finished(silent, 30000));
    QVERIFY(!QFileInfo::exists(output));
}

void TestKeeper::stopOnRequest()
{
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    QVERIFY(KeptRun::writeScript(job, "#!/bin/sh\nsetsid sleep 305 &\necho $! > \"$0.child\"\nexec sleep 306\n"));
    QProcess keeper;
    startKeeper(keeper, dir, QString(), 0, job);
    const pid_t child = KeptRun::awaitPid(job + QStringLiteral(".child"));
    QVERIFY(child > 0);
    const QString request = KeptRun::runsFolder(dir) + QStringLiteral("/1.stop");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(request).exists(), 10000);
    QFile ask(request);
    QVERIFY(ask.open(QIODevice::WriteOnly));
    ask.write("stop\n");
    ask.close();
    const QByteArray end = KeptRun::awaitEnd(m_runFile, 30000);
    QVERIFY2(end.contains("\nresult requested 0\n"), end.constData());
    QVERIFY(KeptRun::finished(keeper, 30000));
    QVERIFY(FaultRun::processGone(child));
    // Nobody is left to ask.
    QVERIFY(!QFileInfo::exists(request));
}

QTEST_GUILESS_MAIN(TestKeeper)
#include "tst_keeper.moc"
