#include "faultrun.h"
#include "programrun.h"
#include "scriptedserver.h"
#include "testprogramdir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTime>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The real program with what its jobs start: swarms of children that are
// none of its own, thousands of its own still running, one that hangs past
// its limit. It reaps, records every end and answers SIGTERM within a second.
class TestFaultChildren : public QObject
{
    Q_OBJECT
private slots:
    void targetForkingAThousandChildren();
    void threeThousandChildrenStillRunning();
    void hangingJobStoppedAtItsLimit();
};

void TestFaultChildren::targetForkingAThousandChildren()
{
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QString swarm = dir.file(QStringLiteral("swarm.sh"));
    dir.write(QStringLiteral("swarm.sh"), "#!/bin/sh\ni=0\nwhile [ $i -lt 1000 ]; do sleep 3 & i=$((i+1)); done\n"
                                          "touch \"$0.forked\"\nwait\n");
    QFile::setPermissions(swarm, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n1|0|0|0|0|0|0|0|0|" + swarm.toUtf8() + "|\r\n");
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(swarm + QStringLiteral(".forked")), 120000);
    // Its children are none of ours: the program answers as ever.
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
    QVERIFY(dir.read(ProgramRun::todaysJournal()).contains((";" + swarm).toUtf8()));
}


void TestFaultChildren::threeThousandChildrenStillRunning()
{
    // One every-minute job that hangs reaches a thousand running children in
    // about seventeen hours; the limit here is a hard one, so that the program
    // cannot raise it.
    constexpr int kChildren = 3000;
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QString holding = dir.file(QStringLiteral("holding.sh"));
    const QString gate = holding + QStringLiteral(".gate");
    QCOMPARE(::mkfifo(QFile::encodeName(gate).constData(), 0600), 0);
    // Each waits, without using the processor, until the gate opens.
    dir.write(QStringLiteral("holding.sh"), "#!/bin/sh\nread x < \"$0.gate\"\nexit 4\n");
    QFile::setPermissions(holding, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Asked for after the wait for the minute's start and the 3,000 starts,
    // which a busy machine makes a minute or more.
    ScriptedServer server({ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")},
                          300000);
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(server.port()) + "/after";
    // Due at the minute the program starts in, every day, and at no other:
    // the first pass starts them all once, however long the starts take.
    QTRY_VERIFY_WITH_TIMEOUT(QTime::currentTime().second() < 25, 40000);
    const QTime now = QTime::currentTime();
    const QByteArray due =
        QByteArray::number(now.minute()) + '|' + QByteArray::number(now.hour()) + "|1|1|1|1|1|1|1|";
    QByteArray schedule = "\r\n";
    for (int i = 0; i < kChildren; ++i)
        schedule += due + holding.toUtf8() + "|\r\n";
    schedule += due + url + "|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    QProcess program;
    program.setChildProcessModifier([] {
        const rlimit files{1024, 1024};
        ::setrlimit(RLIMIT_NOFILE, &files);
    });
    // Opening the gate for writing lets every waiting child read its end.
    const auto openGate = [&gate] { ::close(::open(QFile::encodeName(gate).constData(), O_WRONLY | O_NONBLOCK)); };
    struct Open
    {
        std::function<void()> gate;
        ~Open() { gate(); }
    } openAtTheEnd{openGate};
    ProgramRun::start(dir, program);
    const QString journal = ProgramRun::todaysJournal();
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(journal).contains(";" + url + "\r\n"), 180000);
    QCOMPARE(dir.read(journal).count((";" + holding + "\r\n").toUtf8()), kChildren);
    // The server reads on its own turns of our event loop, maybe after the reply was journalled.
    QTRY_VERIFY_WITH_TIMEOUT(server.received().startsWith("GET /after HTTP/1.1\r\n"), 30000);
    // Every end has its line, and nothing is left to reap.
    QTRY_VERIFY_WITH_TIMEOUT(
        (openGate(), dir.read(journal).count((" Terminé (code 4);" + holding + "\r\n").toUtf8()) == kChildren),
        180000);
    QVERIFY(!dir.read(journal).contains("fichiers ouverts"));
    // It ends cleanly; how fast is not the point here: a sanitized build
    // checks the heap of 3,000 runs for leaks on its way out, beside the
    // other stages' load.
    QVERIFY(ProgramRun::stop(program, 10 * FaultRun::kAnswerMs));
}

void TestFaultChildren::hangingJobStoppedAtItsLimit()
{
    if (qEnvironmentVariableIsEmpty("PENDULIX_MINUTE_FAULTS"))
        QSKIP("waits for a one-minute time limit: the CTest entry tst_faults_children_minute runs it");
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QString hanging = dir.file(QStringLiteral("hanging.sh"));
    dir.write(QStringLiteral("hanging.sh"),
              "#!/bin/sh\nsleep 600 &\necho $! > \"$0.child\"\necho $$ > \"$0.pid\"\nwait\n");
    QFile::setPermissions(hanging, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Due every minute, one at a time, stopped after one.
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n1|0|0|0|0|0|0|0|0|" + hanging + "|seul;max=1|\r\n").toUtf8());
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(hanging + ".child") && QFile::exists(hanging + ".pid"), 15000);
    QElapsedTimer since;
    since.start();
    const pid_t job = dir.read(QStringLiteral("hanging.sh.pid")).trimmed().toInt();
    const pid_t grandchild = dir.read(QStringLiteral("hanging.sh.child")).trimmed().toInt();
    QVERIFY(job > 0 && grandchild > 0);
    QTRY_VERIFY_WITH_TIMEOUT(FaultRun::processGone(job) && FaultRun::processGone(grandchild), 75000);
    QVERIFY(since.elapsed() >= 50000);
    const QString journal = ProgramRun::todaysJournal();
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(journal).contains((" Arrêté après 1 min;" + hanging + "\r\n").toUtf8()), 5000);
    // While it ran, the minutes that came found it still running.
    QVERIFY(dir.read(journal).contains((" Déjà en cours;" + hanging + "\r\n").toUtf8()));
    QCOMPARE(dir.read(journal).count((";" + hanging + "\r\n").toUtf8()) -
                 dir.read(journal).count((" Déjà en cours;" + hanging + "\r\n").toUtf8()) -
                 dir.read(journal).count((" Arrêté après 1 min;" + hanging + "\r\n").toUtf8()),
             1);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
}

QTEST_GUILESS_MAIN(TestFaultChildren)
#include "tst_faults_children.moc"
