#include "faultrun.h"
#include "programrun.h"
#include "testprogramdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sys/mount.h>
#include <csignal>
#include <unistd.h>

// The real program when its files fail it: a full disk, a folder it may not
// write, kills in the middle of a write back, a schedule deleted under it.
// Nothing is lost or torn, and it goes on scheduling.
class TestFaultFiles : public QObject
{
    Q_OBJECT
private slots:
    void fullDisk();
    void readOnlyProgramDirectory();
    void killedDuringWriteBacks();
    void scheduleDeletedAndRestoredWhileRunning();
};

namespace {

// A settings file as one of its write backs leaves it: whole lines, the
// entries written so far in their order, nothing else.
bool isWholeSettingsFile(const QByteArray &bytes)
{
    if (!bytes.endsWith("\r\n"))
        return false;
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    if (lines.size() < 2 || lines.size() > FaultRun::kSettingsLines.size())
        return false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) != FaultRun::kSettingsLines.at(i) + (i + 1 < lines.size() ? "\r" : ""))
            return false;
    }
    return true;
}

QStringList temporariesIn(const TestProgramDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files);
}

} // namespace

void TestFaultFiles::fullDisk()
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
    QVERIFY(QFile::copy(QStringLiteral(PENDULIX_EXECUTABLE), disk + QStringLiteral("/Pendulix")));
    QVERIFY(QDir(disk).mkdir(QStringLiteral("run")));
    // Long missing targets, all due every minute: the first pass fills the
    // disk. The job after them, off the disk, tells that the pass went on.
    const QString job = ProgramRun::writeJob(outer, QStringLiteral("job"));
    QByteArray schedule = "\r\n";
    for (int i = 0; i < 200; ++i)
        schedule += "1|0|0|0|0|0|0|0|0|/missing/" + QByteArray(2000, char('a' + i % 26)) + "|\r\n";
    schedule += "1|0|0|0|0|0|0|0|0|" + job.toUtf8() + "|\r\n";
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
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 30000);
    QVERIFY(QFileInfo(journal).size() > 32 * 1024);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
    QFile written(journal);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(FaultRun::endsWithWholeLine(written.readAll()));
    QFile kept(disk + QStringLiteral("/cron-bat.dat"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), schedule);
}

void TestFaultFiles::readOnlyProgramDirectory()
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
    FaultRun::asNobody(program);
    ProgramRun::start(dir, program);
    // Nothing can be written beside it, not even the settings at the first
    // hide, and the next minute's pass starts the job all the same.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 15000);
    QVERIFY(QFile::remove(job + QStringLiteral(".ran")));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 75000);
    const bool stopped = ProgramRun::stop(program, FaultRun::kAnswerMs);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    QVERIFY(stopped);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
    QVERIFY(!QFile::exists(dir.file(ProgramRun::todaysJournal())));
}


// kill -9 in the middle of the settings' write backs, the first hide's seven
// in a row, again and again, on a new file and over a whole one: the
// settings are missing or whole, never torn; the schedule is never touched;
// every start removes what the kill before left.
void TestFaultFiles::killedDuringWriteBacks()
{
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QByteArray schedule = "\r\n5|3|0|0|0|0|0|0|0|/nowhere/job.sh|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    const QString settings = dir.file(QStringLiteral("serie.ini"));
    const QByteArray whole = FaultRun::kSettingsLines.join("\r\n") + "\r\n";
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
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
    QCOMPARE(temporariesIn(dir), QStringList());
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
}


// The user deletes the schedule while the program runs, and later puts it
// back: the change check recreates an empty one and journals nothing torn;
// the restored file is read at the next check and its entries run again.
void TestFaultFiles::scheduleDeletedAndRestoredWhileRunning()
{
    if (qEnvironmentVariableIsEmpty("PENDULIX_MINUTE_FAULTS"))
        QSKIP("waits for two of the program's minute checks: the CTest entry tst_faults_files_minute runs it");
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

    // The entries went with the file: the next minute starts nothing. The
    // minute record is rewritten once a minute's pass has made its starts.
    QVERIFY(QFile::remove(job + QStringLiteral(".ran")));
    const QByteArray examined = dir.read(QStringLiteral("derniere-minute.dat"));
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(QStringLiteral("derniere-minute.dat")) != examined, 75000);
    QVERIFY(!QFile::exists(job + QStringLiteral(".ran")));
    QCOMPARE(program.state(), QProcess::Running);

    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    // The next check reads it; the next minute runs its entry.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 135000);
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), schedule);
    const QByteArray journal = dir.read(ProgramRun::todaysJournal());
    QVERIFY(FaultRun::endsWithWholeLine(journal));
    // Its starts only, before and after: nothing else was recorded.
    QList<QByteArray> lines = journal.split('\n');
    lines.removeLast(); // after the last line end
    QVERIFY(lines.size() >= 2);
    for (const QByteArray &line : lines)
        QVERIFY2(line.endsWith((";" + job + " restored\r").toUtf8()), line.constData());
}

QTEST_GUILESS_MAIN(TestFaultFiles)
#include "tst_faults_files.moc"
