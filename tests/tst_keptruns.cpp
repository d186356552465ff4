#include "engine/schedulingengine.h"
#include "keptrun.h"
#include "programrun.h"
#include "recordlog.h"
#include "testprogramdir.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>

namespace {

// Hangs until the test lets it go, then ends with code 3; a test that
// ended first, its folder gone with the script, lets it go too.
const QByteArray kHanging = "#!/bin/sh\n"
                            "echo started >> \"$0.starts\"\n"
                            "while [ ! -e \"$0.go\" ] && [ -e \"$0\" ]; do sleep 0.1; done\n"
                            "exit 3\n";

// The engine as the program makes it, over the build's keeper, started up.
struct Engine
{
    explicit Engine(const TestProgramDir &dir)
        : engine({.programDirectory = dir.path(), .timeText = testTimeText, .keeper = KeptRun::keeper()}),
          record(&engine)
    {
        engine.startUp();
    }
    SchedulingEngine engine;
    RecordLog record;
};

struct Entry
{
    QString job;
    QString line;
};

Entry hangingEntry(const TestProgramDir &dir, const QByteArray &options = "seul")
{
    const QString job = dir.file(QStringLiteral("job.sh"));
    KeptRun::writeScript(job, kHanging);
    const QString line = "0|0|0|0|0|0|0|0|0|" + job + "|" + QString::fromUtf8(options) + "|";
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n" + line + "\r\n").toUtf8());
    return {job, line};
}

QByteArray journal(const TestProgramDir &dir)
{
    return dir.read(ProgramRun::todaysJournal());
}

bool anyRowEndsWith(const RecordLog &log, const QString &end)
{
    const QStringList rows = log.rows();
    return std::any_of(rows.cbegin(), rows.cend(), [&](const QString &row) { return row.endsWith(end); });
}

// Runs the schedule's first entry in an engine that then stops, as the
// program does on leaving; the run's file, once the keeper holds it.
QString startedByAnEarlierInstance(const TestProgramDir &dir)
{
    Engine first(dir);
    first.engine.runNow(1);
    const QString runFile = KeptRun::awaitRunFile(first.engine.runsFolder());
    QDeadlineTimer deadline(10000);
    while (!runFile.isEmpty() && KeptRun::keeperOf(runFile) == 0 && !deadline.hasExpired())
        QTest::qWait(20);
    return runFile;
}

} // namespace

// Runs kept by pendulix-run, as the engine knows them across its own end.
class TestKeptRuns : public QObject
{
    Q_OBJECT
private slots:
    void aloneAcrossARestart();
    void endWhileStoppedIsRecordedAtTheNextStart();
    void lostKeeperIsNoCleanEnd();
    void lostWhileStoppedIsFoundAtTheNextStart();
    void stopOnRequest();
    void filesAreTheUsersOnly();
    void limitKeptWhileStopped();
    void withoutAKeeperProgramsStillStart();
};

void TestKeptRuns::aloneAcrossARestart()
{
    TestProgramDir dir;
    const Entry entry = hangingEntry(dir);
    {
        Engine first(dir);
        first.engine.runNow(1);
        QVERIFY(!KeptRun::awaitRunFile(first.engine.runsFolder()).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(entry.job + QStringLiteral(".starts")), 10000);
    }
    Engine second(dir);
    // Still going: shown so, and not started a second time.
    QVERIFY(second.engine.past().isRunning(entry.line));
    QCOMPARE(second.engine.past().of(entry.line)->result, QStringLiteral("En cours"));
    second.engine.runNow(1);
    QVERIFY(anyRowEndsWith(second.record, QStringLiteral(" Déjà en cours|") + entry.job));
    QCOMPARE(dir.read(QStringLiteral("job.sh.starts")), QByteArray("started\n"));
    // Its end is told to the instance that did not start it.
    dir.write(QStringLiteral("job.sh.go"), "");
    QTRY_VERIFY_WITH_TIMEOUT(anyRowEndsWith(second.record, QStringLiteral(" Terminé (code 3)|") + entry.job), 10000);
    QVERIFY(journal(dir).contains((" Terminé (code 3);" + entry.job + "\r\n").toUtf8()));
    QVERIFY(!second.engine.past().isRunning(entry.line));
    second.engine.past().write();
    QVERIFY(dir.read(EntryPast::fileName()).contains(("|Terminé (code 3)|" + entry.line).toUtf8()));
    // Nothing is left to find again.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(second.engine.runsFolder()).entryList(QDir::Files).isEmpty(), 10000);
    QVERIFY(QDir(second.engine.runsFolder() + QStringLiteral("/ended")).entryList(QDir::Files).isEmpty());
}

void TestKeptRuns::endWhileStoppedIsRecordedAtTheNextStart()
{
    TestProgramDir dir;
    const Entry entry = hangingEntry(dir);
    const QString runFile = startedByAnEarlierInstance(dir);
    QVERIFY(!runFile.isEmpty());
    dir.write(QStringLiteral("job.sh.go"), "");
    const QByteArray end = KeptRun::awaitEnd(runFile, 30000);
    QVERIFY2(end.contains("\nresult exited 3\n"), end.constData());
    const qsizetype at = end.indexOf("\nend ") + 5;
    const QString time =
        QDateTime::fromSecsSinceEpoch(end.mid(at, end.indexOf('\n', at) - at).toLongLong()).toString(QStringLiteral("HH:mm:ss"));
    Engine second(dir);
    // At the time it ended, not the time it was found.
    QVERIFY(second.record.rows().contains(time + QStringLiteral(" Terminé (code 3)|") + entry.job));
    QVERIFY(journal(dir).contains((time + " Terminé (code 3);" + entry.job + "\r\n").toUtf8()));
    QCOMPARE(second.engine.past().of(entry.line)->result, QStringLiteral("Terminé (code 3)"));
    QVERIFY(!second.engine.past().isRunning(entry.line));
    // Recorded once: a third start finds nothing more.
    QVERIFY(QDir(second.engine.runsFolder() + QStringLiteral("/ended")).entryList(QDir::Files).isEmpty());
}

void TestKeptRuns::lostKeeperIsNoCleanEnd()
{
    TestProgramDir dir;
    const Entry entry = hangingEntry(dir);
    Engine engine(dir);
    engine.engine.runNow(1);
    const QString runFile = KeptRun::awaitRunFile(engine.engine.runsFolder());
    QTRY_VERIFY_WITH_TIMEOUT(KeptRun::keeperOf(runFile) > 0, 10000);
    ::kill(KeptRun::keeperOf(runFile), SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(anyRowEndsWith(engine.record, QStringLiteral(" Suivi perdu (gardien arrêté par le signal 9)|") +
                                                                 entry.job),
                             10000);
    QVERIFY(journal(dir).contains((" Suivi perdu (gardien arrêté par le signal 9);" + entry.job + "\r\n").toUtf8()));
    QVERIFY(!engine.engine.past().isRunning(entry.line));
    QVERIFY(!QFileInfo::exists(runFile));
    dir.write(QStringLiteral("job.sh.go"), "");
}

void TestKeptRuns::lostWhileStoppedIsFoundAtTheNextStart()
{
    TestProgramDir dir;
    const Entry entry = hangingEntry(dir);
    const QString runFile = startedByAnEarlierInstance(dir);
    QVERIFY(KeptRun::keeperOf(runFile) > 0);
    ::kill(KeptRun::keeperOf(runFile), SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(KeptRun::keeperOf(runFile) == 0, 10000);
    Engine restarted(dir);
    QVERIFY(anyRowEndsWith(restarted.record, QStringLiteral(" Suivi perdu (gardien arrêté)|") + entry.job));
    QVERIFY(!restarted.engine.past().isRunning(entry.line));
    QVERIFY(!QFileInfo::exists(runFile));
    dir.write(QStringLiteral("job.sh.go"), "");
}

void TestKeptRuns::stopOnRequest()
{
    TestProgramDir dir;
    const Entry entry = hangingEntry(dir, "nom=Synchro");
    Engine engine(dir);
    engine.engine.runNow(1);
    const QString runFile = KeptRun::awaitRunFile(engine.engine.runsFolder());
    // The keeper listens once it has made its request pipe.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runFile.chopped(4) + QStringLiteral(".stop")), 10000);
    // A line without a running start asks nobody.
    QCOMPARE(engine.engine.stopRuns({0, 7}), 0);
    QCOMPARE(engine.engine.stopRuns({1}), 1);
    const QString subject = entry.job + QStringLiteral(" (Synchro)");
    QTRY_VERIFY_WITH_TIMEOUT(anyRowEndsWith(engine.record, QStringLiteral(" Arrêté à la demande|") + subject), 30000);
    QVERIFY(journal(dir).contains((" Arrêté à la demande;" + subject + "\r\n").toUtf8()));
    QCOMPARE(engine.engine.past().of(entry.line)->result, QStringLiteral("Arrêté à la demande"));
    QCOMPARE(engine.engine.stopRuns({1}), 0);
}

void TestKeptRuns::filesAreTheUsersOnly()
{
    const mode_t previous = ::umask(022);
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    KeptRun::writeScript(job, "#!/bin/sh\n"
                              // Listed by a child, so that its own file is none of the shell's.
                              "(for f in /proc/$$/fd/*; do echo \"${f##*/} $(readlink $f)\"; done > \"$0.fds\") &\n"
                              "wait\n"
                              "echo done\n");
    const QString line = "0|0|0|0|0|0|0|0|0|" + job + "||";
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n" + line + "\r\n").toUtf8());
    {
        Engine engine(dir);
        engine.engine.runPass();
        engine.engine.runNow(1);
        QTRY_VERIFY_WITH_TIMEOUT(engine.engine.past().of(line)->result == QStringLiteral("Terminé (code 0)"), 10000);
        engine.engine.past().write();
    }
    ::umask(previous);
    const QStringList outputs = QDir(dir.file(QStringLiteral("sorties"))).entryList(QDir::Files);
    QCOMPARE(outputs.size(), 1);
    QCOMPARE(dir.read(QStringLiteral("sorties/") + outputs.first()), QByteArray("done\n"));
    for (const QString &file : {QStringLiteral("sorties/") + outputs.first(), ProgramRun::todaysJournal(),
                                EntryPast::fileName(), QStringLiteral("derniere-minute.dat")})
        QVERIFY2(KeptRun::modeOf(dir.file(file)) == 0600, qPrintable(file));
    for (const QString &folder : {QStringLiteral("sorties"), QStringLiteral("runs"), QStringLiteral("runs/ended")})
        QVERIFY2(KeptRun::modeOf(dir.file(folder)) == 0700, qPrintable(folder));
    // Nothing of ours reaches the program: an empty input, its output to
    // its keeper, and beyond the three only what the shell opens itself.
    QHash<int, QString> fds;
    for (const QString &fd : QString::fromUtf8(dir.read(QStringLiteral("job.sh.fds"))).split('\n', Qt::SkipEmptyParts))
        fds.insert(fd.section(QLatin1Char(' '), 0, 0).toInt(), fd.section(QLatin1Char(' '), 1));
    QCOMPARE(fds.value(0), QStringLiteral("/dev/null"));
    QVERIFY2(fds.value(1).startsWith(QLatin1String("pipe:")), qPrintable(fds.value(1)));
    QCOMPARE(fds.value(2), fds.value(1));
    for (auto it = fds.cbegin(); it != fds.cend(); ++it)
        QVERIFY2(it.key() <= 2 || it.value() == job || it.value().startsWith(QLatin1String("/proc/")),
                 qPrintable(it.value()));

    // An existing file keeps its mode.
    QFile::setPermissions(dir.file(ProgramRun::todaysJournal()),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    {
        Engine engine(dir);
        engine.engine.runNow(1);
        QTRY_VERIFY_WITH_TIMEOUT(engine.engine.past().of(line)->result == QStringLiteral("Terminé (code 0)"), 10000);
    }
    QCOMPARE(KeptRun::modeOf(dir.file(ProgramRun::todaysJournal())), 0640);
}

void TestKeptRuns::limitKeptWhileStopped()
{
    if (qEnvironmentVariableIntValue("PENDULIX_MINUTE_FAULTS") != 1)
        QSKIP("takes a minute: the entry tst_keptruns_minute runs it");
    TestProgramDir dir;
    const Entry entry = hangingEntry(dir, "max=1");
    const QString runFile = startedByAnEarlierInstance(dir);
    QVERIFY(!runFile.isEmpty());
    // Nobody runs: the keeper stops it at its minute all the same.
    const QByteArray end = KeptRun::awaitEnd(runFile, 120000);
    QVERIFY2(end.contains("\nresult stopped 60000\n"), end.constData());
    Engine second(dir);
    QVERIFY(anyRowEndsWith(second.record, QStringLiteral(" Arrêté après 1 min|") + entry.job));
    QCOMPARE(second.engine.past().of(entry.line)->result, QStringLiteral("Arrêté après 1 min"));
}

void TestKeptRuns::withoutAKeeperProgramsStillStart()
{
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    KeptRun::writeScript(job, "#!/bin/sh\nexit 4\n");
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n0|0|0|0|0|0|0|0|0|" + job + "||\r\n").toUtf8());
    // No folder for the runs' files: no keeper, and the history says so once.
    dir.write(QStringLiteral("runs"), "in the way");
    Engine engine(dir);
    engine.engine.runNow(1);
    engine.engine.runNow(1);
    QTRY_COMPARE_WITH_TIMEOUT(engine.record.rows().filter(QStringLiteral(" Terminé (code 4)|") + job).size(), 2, 10000);
    QCOMPARE(engine.record.rows().filter(QStringLiteral(" Sans gardien|")).size(), 1);
    QCOMPARE(engine.record.rows().filter(QRegularExpression(QStringLiteral("^\\S+\\|") +
                                                            QRegularExpression::escape(job) + QLatin1Char('$')))
                 .size(),
             2);
}

QTEST_GUILESS_MAIN(TestKeptRuns)
#include "tst_keptruns.moc"
