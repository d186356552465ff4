#include "programrun.h"
#include "scriptedserver.h"
#include "testprogramdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTime>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <csignal>
#include <unistd.h>

// The real program under the faults a user's machine brings: after each, it
// still runs, nothing was lost or torn, the failure was recorded, and SIGTERM
// is answered within a second.
class TestFaults : public QObject
{
    Q_OBJECT
private slots:
    void fullDisk();
    void processLimit();
    void readOnlyProgramDirectory();
    void tenThousandEntriesDueAtOnce();
    void targetForkingAThousandChildren();
    void threeThousandChildrenStillRunning();
    void hostileServers();
    void scheduleDeletedAndRestoredWhileRunning();
    void hangingJobStoppedAtItsLimit();
    void killedDuringWriteBacks();
};

namespace {

constexpr int kAnswerMs = 1000;

// Makes the child process the user "nobody", then applies `more`.
void runAsNobody(QProcess &program, std::function<void()> more = {})
{
    const passwd *nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    program.setChildProcessModifier([uid, gid, more] {
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(3);
        if (more)
            more();
    });
}

bool endsWithWholeLine(const QByteArray &bytes)
{
    return bytes.isEmpty() || bytes.endsWith("\r\n");
}

// The settings the program writes at its first hide, in their order.
const QList<QByteArray> kSettingsLines{"[Form1]",     "CheckBox_1=1",  "SpinEdit_1=1",
                                        "CheckBox_9=1", "CheckBox_11=0", "CheckBox_12=0",
                                        "CheckBox_13=0", "Edit_4=French"};

// A settings file as one of its write backs leaves it: whole lines, the
// entries written so far in their order, nothing else.
bool isWholeSettingsFile(const QByteArray &bytes)
{
    if (!bytes.endsWith("\r\n"))
        return false;
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    if (lines.size() < 2 || lines.size() > kSettingsLines.size())
        return false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) != kSettingsLines.at(i) + (i + 1 < lines.size() ? "\r" : ""))
            return false;
    }
    return true;
}

QStringList temporariesIn(const TestProgramDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files);
}

} // namespace

void TestFaults::fullDisk()
{
    TestProgramDir outer;
    const QString disk = outer.file(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    // Room for the executable and 4 MiB more, most of which a filler takes.
    const QByteArray options =
        "size=" + QByteArray::number(QFileInfo(QStringLiteral(PENDULIX_EXECUTABLE)).size() / 1024 + 4096) + "k";
    if (::geteuid() != 0 ||
        ::mount("pendulix-test", QFile::encodeName(disk).constData(), "tmpfs", 0, options.constData()) != 0)
        QSKIP("a full disk needs a tmpfs of our own: run as root where mounting is allowed");
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(disk)};
    TestProgramDir dir; // only for its path layout helpers
    QVERIFY(QFile::copy(QStringLiteral(PENDULIX_EXECUTABLE), disk + QStringLiteral("/Pendulix")));
    QVERIFY(QDir(disk).mkdir(QStringLiteral("run")));
    // Long missing targets, all due every minute: the first pass fills the disk.
    QByteArray schedule = "\r\n";
    for (int i = 0; i < 200; ++i)
        schedule += "1|0|0|0|0|0|0|0|0|/missing/" + QByteArray(2000, char('a' + i % 26)) + "|\r\n";
    {
        QFile file(disk + QStringLiteral("/cron-bat.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(schedule);
    }
    // Leave 64 KiB free.
    {
        QFile filler(disk + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        filler.close();
        filler.resize(filler.size() - 64 * 1024);
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), disk + QStringLiteral("/run"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(disk + QStringLiteral("/Pendulix"), {});
    QVERIFY(program.waitForStarted());
    const QString journal = disk + QLatin1Char('/') + ProgramRun::todaysJournal();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(journal).size() > 32 * 1024, 15000);
    QTest::qWait(3000);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
    QFile written(journal);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(endsWithWholeLine(written.readAll()));
    QFile kept(disk + QStringLiteral("/cron-bat.dat"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), schedule);
}

void TestFaults::processLimit()
{
    if (::geteuid() != 0)
        QSKIP("filling another user's process count needs root");
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QString job = ProgramRun::writeJob(dir, QStringLiteral("job"));
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n1|0|0|0|0|0|0|0|0|" + job.toUtf8() + "|\r\n");
    giveToUnprivilegedUser(dir.path());
    constexpr rlim_t kLimit = 24;
    QProcess program;
    runAsNobody(program, [] {
        const rlimit limit{kLimit, kLimit};
        ::setrlimit(RLIMIT_NPROC, &limit);
    });
    // In a sanitizer build, the leak check at the end needs a thread of its
    // own, which the limit refuses: it would turn a clean end into a failure.
    const QByteArray sanitizer = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", sanitizer + (sanitizer.isEmpty() ? "" : ":") + "detect_leaks=0");
    ProgramRun::start(dir, program);
    qputenv("ASAN_OPTIONS", sanitizer);
    // The first pass starts the job, and the window goes to the tray.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 15000);
    QVERIFY(QFile::remove(job + QStringLiteral(".ran")));
    QTest::qWait(1500);
    // Then the user's other programs take every process the limit leaves.
    QProcess filler;
    runAsNobody(filler, [] { ::setsid(); });
    filler.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("i=0; while [ $i -lt %1 ]; do sleep 90 & i=$((i+1)); done; wait")
                                            .arg(kLimit + 4)});
    QVERIFY(filler.waitForStarted());
    struct KillFiller
    {
        QProcess &filler;
        ~KillFiller()
        {
            ::kill(-pid_t(filler.processId()), SIGKILL);
            filler.waitForFinished(5000);
        }
    } killFiller{filler};
    // The next minute's start is refused, recorded, and the program goes on.
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(ProgramRun::todaysJournal()).contains(
                                 ("Lancement impossible;" + job).toUtf8()),
                             65000);
    QVERIFY(!QFile::exists(job + QStringLiteral(".ran")));
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
}

void TestFaults::readOnlyProgramDirectory()
{
    TestProgramDir dir;
    TestProgramDir jobs;
    QVERIFY(ProgramRun::install(dir));
    const QString job = ProgramRun::writeJob(jobs, QStringLiteral("job"));
    const QByteArray schedule = "\r\n1|0|0|0|0|0|0|0|0|" + job.toUtf8() + " ok|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    giveToUnprivilegedUser(dir.path());
    giveToUnprivilegedUser(jobs.path());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
    QProcess program;
    runAsNobody(program);
    ProgramRun::start(dir, program);
    // Nothing can be written beside it, and it goes on scheduling all the same.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 15000);
    QTest::qWait(1500);
    const bool stopped = ProgramRun::stop(program, kAnswerMs);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    QVERIFY(stopped);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
    QVERIFY(!QFile::exists(dir.file(ProgramRun::todaysJournal())));
}

void TestFaults::tenThousandEntriesDueAtOnce()
{
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    QByteArray schedule = "\r\n";
    for (int i = 0; i < 10000; ++i)
        schedule += "1|0|0|0|0|0|0|0|0|" + dir.file(QStringLiteral("absent%1.sh").arg(i)).toUtf8() + "|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(ProgramRun::todaysJournal()).count("Fichier inexistant") == 10000,
                             30000);
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
    const QByteArray journal = dir.read(ProgramRun::todaysJournal());
    QVERIFY(journal.contains(("Fichier inexistant;" + dir.file(QStringLiteral("absent9999.sh"))).toUtf8()));
    QVERIFY(endsWithWholeLine(journal));
}

void TestFaults::targetForkingAThousandChildren()
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
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(swarm + QStringLiteral(".forked")), 30000);
    // Its children are none of ours: the program answers as ever.
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
    QVERIFY(dir.read(ProgramRun::todaysJournal()).contains((";" + swarm).toUtf8()));
}

void TestFaults::threeThousandChildrenStillRunning()
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
    // Asked for after the wait for the minute's start and the 3,000 starts.
    ScriptedServer server({ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")},
                          120000);
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(server.port()) + "/after";
    QByteArray schedule = "\r\n";
    for (int i = 0; i < kChildren; ++i)
        schedule += "1|0|0|0|0|0|0|0|0|" + holding.toUtf8() + "|\r\n";
    schedule += "1|0|0|0|0|0|0|0|0|" + url + "|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    // All the starts inside the first minute: the next one finds the schedule emptied.
    QTRY_VERIFY_WITH_TIMEOUT(QTime::currentTime().second() < 25, 40000);
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
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(journal).contains(";" + url + "\r\n"), 45000);
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    QCOMPARE(dir.read(journal).count((";" + holding + "\r\n").toUtf8()), kChildren);
    // The server reads on its own turns of our event loop, maybe after the reply was journalled.
    QTRY_VERIFY_WITH_TIMEOUT(server.received().startsWith("GET /after HTTP/1.1\r\n"), 10000);
    // Every end has its line, and nothing is left to reap.
    QTRY_VERIFY_WITH_TIMEOUT(
        (openGate(), dir.read(journal).count((" Terminé (code 4);" + holding + "\r\n").toUtf8()) == kChildren),
        60000);
    QVERIFY(!dir.read(journal).contains("fichiers ouverts"));
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
}

void TestFaults::hostileServers()
{
    using S = ScriptedServer;
    QList<S::Step> trickle{S::send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")};
    for (int i = 0; i < 60; ++i)
        trickle << S::send("x") << S::pause(500);
    QList<S::Step> flood{S::send("HTTP/1.1 200 OK\r\n\r\n")};
    for (int i = 0; i < 2000; ++i)
        flood << S::send(QByteArray(64 * 1024, 'z'));
    S trickling(trickle), flooding(flood);
    S controlling({S::send("HTTP/1.1 500 Bad\x1a\x01news\x7f!\r\nContent-Length: 0\r\n\r\n")});
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QString job = ProgramRun::writeJob(dir, QStringLiteral("job"));
    QByteArray schedule = "\r\n";
    for (const S *server : {&trickling, &flooding, &controlling})
        schedule += "1|0|0|0|0|0|0|0|0|http://127.0.0.1:" + QByteArray::number(server->port()) + "/x|\r\n";
    schedule += "1|0|0|0|0|0|0|0|0|" + job.toUtf8() + "|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 15000);
    // The server's text is data: a character 26 would end the journal for its viewer.
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(ProgramRun::todaysJournal()).contains(" HTTP/1.1 500 Bad  news !;"),
                             15000);
    QVERIFY(!dir.read(ProgramRun::todaysJournal()).contains('\x1a'));
    // With the trickle and the flood still in flight.
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"

// The user deletes the schedule while the program runs, and later puts it
// back: the change check recreates an empty one and journals nothing torn;
// the restored file is read at the next check and its entries run again.
// Gone, or ended and waiting for a parent that is not there to reap it.
bool processGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    const qsizetype state = fields.lastIndexOf(')') + 2;
    return state < fields.size() && fields.at(state) == 'Z';
}

void TestFaults::hangingJobStoppedAtItsLimit()
{
    if (qEnvironmentVariableIsEmpty("PENDULIX_MINUTE_FAULTS"))
        QSKIP("waits for a one-minute time limit: the CTest entry tst_faults_minute runs it");
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
    QTRY_VERIFY_WITH_TIMEOUT(processGone(job) && processGone(grandchild), 75000);
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
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
}

void TestFaults::scheduleDeletedAndRestoredWhileRunning()
{
    if (qEnvironmentVariableIsEmpty("PENDULIX_MINUTE_FAULTS"))
        QSKIP("waits for two of the program's minute checks: the CTest entry tst_faults_minute runs it");
    TestProgramDir dir;
    TestProgramDir jobs;
    QVERIFY(ProgramRun::install(dir));
    const QString job = ProgramRun::writeJob(jobs, QStringLiteral("job"));
    const QByteArray schedule = "\r\n1|0|0|0|0|0|0|0|0|" + job.toUtf8() + " restored|\r\n";
    const QString scheduleFile = dir.file(QStringLiteral("cron-bat.dat"));
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 15000);

    QVERIFY(QFile::remove(scheduleFile));
    // The check runs every minute from the window's creation.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(scheduleFile), 70000);
    QTRY_COMPARE_WITH_TIMEOUT(dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"), 5000);
    QCOMPARE(program.state(), QProcess::Running);

    // The entries went with the file: the next minute starts nothing.
    QVERIFY(QFile::remove(job + QStringLiteral(".ran")));
    const QTime now = QTime::currentTime();
    QTest::qWait((60 - now.second()) * 1000 - now.msec() + 3000);
    QVERIFY(!QFile::exists(job + QStringLiteral(".ran")));
    QCOMPARE(program.state(), QProcess::Running);

    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    // The next check reads it; the next minute runs its entry.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 135000);
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
    const QByteArray journal = dir.read(ProgramRun::todaysJournal());
    QVERIFY(endsWithWholeLine(journal));
    // Its starts only, before and after: nothing else was recorded.
    QList<QByteArray> lines = journal.split('\n');
    lines.removeLast(); // after the last line end
    QVERIFY(lines.size() >= 2);
    for (const QByteArray &line : lines)
        QVERIFY2(line.endsWith((";" + job + " restored\r").toUtf8()), line.constData());
}

// kill -9 in the middle of the settings' write backs, the first hide's seven
// in a row, again and again, on a new file and over a whole one: the
// settings are missing or whole, never torn; the schedule is never touched;
// every start removes what the kill before left.
void TestFaults::killedDuringWriteBacks()
{
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QByteArray schedule = "\r\n5|3|0|0|0|0|0|0|0|/nowhere/job.sh|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    const QString settings = dir.file(QStringLiteral("serie.ini"));
    const QByteArray whole = kSettingsLines.join("\r\n") + "\r\n";
    int caughtWriting = 0;
    int partial = 0;
    for (int round = 0; round < 12; ++round) {
        // Even rounds start without settings and are killed once the first
        // entry is in place; odd ones rewrite a whole file with the same
        // entries and are killed at the first temporary.
        const bool fresh = round % 2 == 0;
        if (fresh)
            QFile::remove(settings);
        else
            dir.write(QStringLiteral("serie.ini"), whole);
        // What the round before left: the start removes it before it writes.
        const QStringList stale = temporariesIn(dir);
        const auto writing = [&] {
            if (fresh)
                return QFile::exists(settings);
            for (const QString &name : temporariesIn(dir)) {
                if (!stale.contains(name))
                    return true;
            }
            return false;
        };
        QProcess program;
        ProgramRun::start(dir, program);
        QElapsedTimer waited;
        waited.start();
        bool started = false;
        while (!(started = writing()) && waited.elapsed() < 15000)
            ::usleep(100);
        ::kill(pid_t(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QVERIFY2(started, "no write back within 15 s");
        for (const QString &name : stale)
            QVERIFY2(!temporariesIn(dir).contains(name), qPrintable(name));
        const QByteArray written = dir.read(QStringLiteral("serie.ini"));
        if (fresh) {
            QVERIFY2(isWholeSettingsFile(written), written.constData());
            partial += written != whole ? 1 : 0;
        } else {
            QCOMPARE(written, whole);
        }
        if (!temporariesIn(dir).isEmpty() || written != whole)
            ++caughtWriting;
        QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
    }
    // Most kills came between two write backs or inside one.
    QVERIFY2(caughtWriting >= 6, QByteArray::number(caughtWriting).constData());
    QVERIFY2(partial >= 1, "no kill left the settings part written");

    QFile::remove(settings); // so that the wait below is for the program's own writes
    QProcess program;
    ProgramRun::start(dir, program);
    QTRY_COMPARE_WITH_TIMEOUT(dir.read(QStringLiteral("serie.ini")), whole, 15000);
    QVERIFY(ProgramRun::stop(program, kAnswerMs));
    QCOMPARE(temporariesIn(dir), QStringList());
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
}
