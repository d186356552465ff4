#include "faultrun.h"
#include "programrun.h"
#include "testprogramdir.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>
#include <csignal>
#include <unistd.h>

// The real program at the limits of a user's machine: processes it may not
// have, and more entries due at once than anyone plans for. Each time it goes
// on, records what it could not do, and answers SIGTERM within a second.
class TestFaultLimits : public QObject
{
    Q_OBJECT
private slots:
    void processLimit();
    void tenThousandEntriesDueAtOnce();
};

void TestFaultLimits::processLimit()
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
    FaultRun::asNobody(program, [] {
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
    // The first hide's settings, the last of the start-up's work: no thread
    // it may still make is refused by the limit.
    QTRY_COMPARE_WITH_TIMEOUT(dir.read(QStringLiteral("serie.ini")),
                              FaultRun::kSettingsLines.join("\r\n") + "\r\n", 15000);
    // Then the user's other programs take every process the limit leaves.
    QProcess filler;
    FaultRun::asNobody(filler, [] { ::setsid(); });
    // Its sleeps outlast the wait below, however long the machine makes it.
    filler.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("i=0; while [ $i -lt %1 ]; do sleep 150 & i=$((i+1)); done; wait")
                                            .arg(kLimit + 4)});
    QVERIFY(filler.waitForStarted());
    // The group's number is taken while the filler runs: once it has ended,
    // processId() is 0, and a kill of -0 would reach our own group.
    struct KillFiller
    {
        QProcess &filler;
        const pid_t group;
        ~KillFiller()
        {
            if (group > 0)
                ::kill(-group, SIGKILL);
            filler.waitForFinished(5000);
        }
    } killFiller{filler, pid_t(filler.processId())};
    // The next minute's start is refused, recorded, and the program goes on.
    QTRY_VERIFY_WITH_TIMEOUT(dir.read(ProgramRun::todaysJournal()).contains(
                                 ("Lancement impossible;" + job).toUtf8()),
                             90000);
    QVERIFY(!QFile::exists(job + QStringLiteral(".ran")));
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
}


void TestFaultLimits::tenThousandEntriesDueAtOnce()
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
                             120000);
    QVERIFY(ProgramRun::stop(program, FaultRun::kAnswerMs));
    const QByteArray journal = dir.read(ProgramRun::todaysJournal());
    QVERIFY(journal.contains(("Fichier inexistant;" + dir.file(QStringLiteral("absent9999.sh"))).toUtf8()));
    QVERIFY(FaultRun::endsWithWholeLine(journal));
}

QTEST_GUILESS_MAIN(TestFaultLimits)
#include "tst_faults_limits.moc"
