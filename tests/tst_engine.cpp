#include "engine/schedulingengine.h"
#include "files/runtimeerror.h"
#include "journal/errorboundary.h"
#include "programrun.h"
#include "runner/examinedminute.h"
#include "recordlog.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <limits>
#include <QTimer>

#include <memory>

#include <sys/stat.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(14, 30, 37));
const QByteArray kA("30|14|0|1|0|0|0|0|0|C:\\jobs\\backup.bat|");
const QByteArray kB("15|0|0|0|0|0|0|0|0|C:\\jobs\\poll.cmd -q|");

// An engine over a test's own program directory, on a clock the test moves,
// with what it reports written down; started up as the program starts it.
struct Harness
{
    // The starts of a pass all made within it, however slow the machine: a
    // test of the slices gives a slice of its own.
    explicit Harness(const TestProgramDir &dir, const QDateTime &start = kNow,
                     int startSliceMs = std::numeric_limits<int>::max())
        : clock(start),
          engine({.programDirectory = dir.path(),
                  .clock = [this] { return clock.now(); },
                  .timeText = testTimeText,
                  .startSliceMs = startSliceMs}),
          record(&engine), reloads(&engine, &SchedulingEngine::scheduleReloaded)
    {
        engine.startUp();
    }
    FakeClock clock;
    SchedulingEngine engine;
    RecordLog record;
    QSignalSpy reloads;
};

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT
private slots:
    void firstRunMakesTheSchedule();
    void reloadWhenSizeOrTimeChanged();
    void failedReloadIsTriedAgain();
    void wakeUpReloadsBeforeThePass();
    void historyClearsInTheMinuteOfMidnight();
    void staleTemporariesGoAtStartUp();
    void targetsAreSplitAndRecorded();
    void runNowStartsTheEntry();
    void errorsReachTheRecorder();
    void restartInsideAMinuteRunsNothingTwice();
    void lastMinuteRecord_data();
    void lastMinuteRecord();
    void failingRecordIsToldOnce();
    void manyStartsLeaveTheEventLoopItsTurns();
    void editsAndPausesKeepEveryOtherByte();
    void pastOfEntriesKeptAcrossRestarts();
    void aloneEntryWaitsForItsRunningStart();
    void missedStartsCaughtUpOnce();
    void optionsWithoutEffectOnADocumentAreTold();
};

void TestEngine::firstRunMakesTheSchedule()
{
    TestProgramDir dir;
    SchedulingEngine engine({.programDirectory = dir.path()});
    QSignalSpy created(&engine, &SchedulingEngine::scheduleCreated);
    engine.startUp();
    QCOMPARE(created.count(), 1);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"));
    QCOMPARE(engine.lines().items(), QStringList{QString()});
    QCOMPARE(engine.LastScheduleSize.size, qint64(2));
    // The next start finds it.
    SchedulingEngine next({.programDirectory = dir.path()});
    QSignalSpy createdAgain(&next, &SchedulingEngine::scheduleCreated);
    next.startUp();
    QCOMPARE(createdAgain.count(), 0);
}

void TestEngine::reloadWhenSizeOrTimeChanged()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n");
    Harness h(dir);
    QCOMPARE(h.reloads.count(), 1);
    h.engine.reloadWhenChanged(); // nothing changed: no reload
    QCOMPARE(h.reloads.count(), 1);

    // An outside edit of the same size, a little later.
    const QString path = dir.file(QStringLiteral("cron-bat.dat"));
    QByteArray edited = "\r\n" + kA + "\r\n";
    edited[2] = '4'; // minute 30 becomes 40
    dir.write(QStringLiteral("cron-bat.dat"), edited);
    TestProgramDir::setModified(path, h.engine.LastScheduleSize.modified.addSecs(2));
    QCOMPARE(QFileInfo(path).size(), h.engine.LastScheduleSize.size);
    h.engine.reloadWhenChanged();
    QCOMPARE(h.reloads.count(), 2);
    QCOMPARE(h.engine.lines().item(1), QString::fromLatin1(edited.mid(2, kA.size())));

    // A change of size as well.
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n" + kB + "\r\n");
    h.engine.reloadWhenChanged();
    QCOMPARE(h.engine.lines().count(), 3);
    QCOMPARE(h.engine.LastScheduleSize.size, QFileInfo(path).size());
}

void TestEngine::failedReloadIsTriedAgain()
{
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("cron-bat.dat"));
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n" + kB + "\r\n");
    const QDateTime written = QFileInfo(path).lastModified();
    Harness h(dir);
    QCOMPARE(h.engine.lines().count(), 3);

    // Briefly a folder (an editor's swap, a sync tool): the reload fails, and
    // what shows the lines is told that there are none.
    QVERIFY(QFile::rename(path, path + QStringLiteral(".away")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("cron-bat.dat")));
    ErrorBoundary::run([&] { h.engine.minuteCheck(); });
    QCOMPARE(h.engine.lines().count(), 0);
    QCOMPARE(h.reloads.count(), 2);
    QCOMPARE(h.record.lines.last(), QStringLiteral("row 14:30:37|Accès au fichier refusé"));
    // Nothing of the failed state is remembered: whatever the file looks like
    // next, even exactly as then, it is read again.
    QVERIFY(h.engine.LastScheduleSize == ScheduleFile::Stamp::unknown());

    // Back as it was, to its very time stamp: the next check reads it again.
    QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("cron-bat.dat")));
    QVERIFY(QFile::rename(path + QStringLiteral(".away"), path));
    TestProgramDir::setModified(path, written);
    ErrorBoundary::run([&] { h.engine.minuteCheck(); });
    QCOMPARE(h.engine.lines().count(), 3);
}

void TestEngine::wakeUpReloadsBeforeThePass()
{
    TestProgramDir dir;
    const QString job = ProgramRun::writeJob(dir, QStringLiteral("job"));
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    Harness h(dir, QDateTime(QDate(2026, 12, 8), QTime(14, 30, 0, 5)));
    // Written during the minute before: the wake-up of 14:31 sees it and runs it.
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n31|14|0|1|0|0|0|0|0|" + job + " edited|\r\n").toUtf8());
    h.clock.advance(60);
    h.engine.wake();
    QCOMPARE(h.engine.lines().count(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 10000);
    QCOMPARE(dir.read(QStringLiteral("job.sh.ran")), QByteArray("edited\n"));
    QCOMPARE(h.record.rows(), QStringList{"14:31:00|" + job + " edited"});
    // The same minute again runs nothing twice.
    h.engine.wake();
    QCOMPARE(h.record.rows().size(), 1);
}

void TestEngine::historyClearsInTheMinuteOfMidnight()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    Harness h(dir, QDateTime(QDate(2026, 12, 8), QTime(23, 59, 40)));
    QSignalSpy clears(&h.engine, &SchedulingEngine::historyClearDue);
    h.engine.minuteCheck();
    QCOMPARE(clears.count(), 0);
    h.clock.advance(30); // 00:00:10 the next day
    h.engine.minuteCheck();
    QCOMPARE(clears.count(), 1);
    h.clock.advance(60);
    h.engine.minuteCheck();
    QCOMPARE(clears.count(), 1);
}

void TestEngine::staleTemporariesGoAtStartUp()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + kA + "\r\n");
    // What a write back killed before its rename leaves behind.
    dir.write(QStringLiteral("cron-bat.dat.0123abcd.tmp"), "\r\n");
    dir.write(QStringLiteral("notes.0123abcd.tmp"), "not ours");
    Harness h(dir);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{"cron-bat.dat", "notes.0123abcd.tmp"}));
    QCOMPARE(h.engine.lines().count(), 2);
}

void TestEngine::targetsAreSplitAndRecorded()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    Harness h(dir);
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    h.engine.startTarget(missing + QStringLiteral(" -q -v"));
    h.engine.startTarget(missing);
    QCOMPARE(h.record.lines, (QStringList{"row 14:30:37 Fichier inexistant|" + missing + " -q -v", "signal",
                                          "row 14:30:37 Fichier inexistant|" + missing, "signal"}));
    // Journalling off: rows still, no file.
    h.engine.setSettings({.journalling = false});
    h.engine.startTarget(missing);
    QCOMPARE(h.record.rows().size(), 3);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")).count('\n'), 2);
}

void TestEngine::runNowStartsTheEntry()
{
    TestProgramDir dir;
    const QString job = ProgramRun::writeJob(dir, QStringLiteral("job"));
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n0|3|0|0|0|0|0|0|1|" + job + " now|\r\n30|14|0|1|0|0|0|0|0|" +
                                               missing + "|\r\n")
                                                  .toUtf8());
    Harness h(dir);
    // Through the real launcher, recorded as a start, with its parameters.
    h.engine.runNow(1);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(job + QStringLiteral(".ran")), 10000);
    QCOMPARE(dir.read(QStringLiteral("job.sh.ran")), QByteArray("now\n"));
    QCOMPARE(h.record.rows(), QStringList{"14:30:37|" + job + " now"});
    QCOMPARE(dir.read(QStringLiteral("20261208.log")), ("14:30:37;" + job + " now\r\n").toUtf8());
    // A missing target is recorded as the scheduler records it.
    h.engine.runNow(2);
    QCOMPARE(h.record.rows().last(), "14:30:37 Fichier inexistant|" + missing);
    // The header line and lines beyond the list are no entries.
    h.engine.runNow(0);
    h.engine.runNow(3);
    QCOMPARE(h.record.rows().size(), 2);
    // Not the entry's run for its minute: the pass at 14:30 still runs it once.
    h.engine.runPass();
    QCOMPARE(h.record.rows().size(), 3);
}

void TestEngine::errorsReachTheRecorder()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n");
    Harness h(dir);
    // From a timer's slot, anywhere in the program.
    bool ran = false;
    QTimer::singleShot(0, &h.engine, ErrorBoundary::guarded([&] {
                           ran = true;
                           throw EInOutError(5);
                       }));
    QTRY_VERIFY(ran);
    QCOMPARE(h.record.lines, QStringList{"row 14:30:37|Accès au fichier refusé"});
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             QByteArray("14:30:37;Acc\xc3\xa8s au fichier refus\xc3\xa9\r\n"));

    // The handler's own journal line fails: one more row, no loop, no end.
    QVERIFY(QFile::remove(dir.file(QStringLiteral("20261208.log"))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("20261208.log")));
    ErrorBoundary::run([] { throw EConvertError(QStringLiteral("'x' n'est pas un entier")); });
    QCOMPARE(h.record.rows().mid(1), (QStringList{"14:30:37|'x' n'est pas un entier",
                                                  "14:30:37|Accès au fichier refusé"}));
}

void TestEngine::restartInsideAMinuteRunsNothingTwice()
{
    TestProgramDir dir;
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n1|0|0|0|0|0|0|0|0|" + missing + "|\r\n").toUtf8());
    const QDateTime start(QDate(2026, 12, 8), QTime(12, 43, 0, 400));
    {
        Harness first(dir, start);
        first.engine.runPass();
        QCOMPARE(first.record.rows().size(), 1);
    }
    QCOMPARE(dir.read(ExaminedMinute::fileName()), QByteArray("202612081243\r\n"));
    {
        // Seven seconds later, the same minute.
        Harness second(dir, start.addSecs(7));
        second.engine.runPass();
        QCOMPARE(second.record.rows().size(), 0);
        second.clock.advance(60);
        second.engine.runPass();
        QCOMPARE(second.record.rows(), QStringList{"12:44:07 Fichier inexistant|" + missing});
    }
    QCOMPARE(dir.read(ExaminedMinute::fileName()), QByteArray("202612081244\r\n"));
    // A garbled record is no record: the minute is examined.
    dir.write(ExaminedMinute::fileName(), "2026120812\r\n");
    Harness third(dir, start.addSecs(60));
    third.engine.runPass();
    QCOMPARE(third.record.rows().size(), 1);
}

void TestEngine::lastMinuteRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("minute"); // empty: no record
    QTest::newRow("as written") << QByteArray("202612081243\r\n") << "2026-12-08 12:43";
    QTest::newRow("without line end") << QByteArray("202612081243") << "2026-12-08 12:43";
    QTest::newRow("skipped by the spring night") << QByteArray("202603290230\r\n") << "2026-03-29 02:30";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("cut short") << QByteArray("20261208124") << "";
    QTest::newRow("no such day") << QByteArray("202602301243\r\n") << "";
    QTest::newRow("hour 24") << QByteArray("202612082400\r\n") << "";
    QTest::newRow("minute 60") << QByteArray("202612081260\r\n") << "";
    QTest::newRow("two lines") << QByteArray("202612081243\r\n202612081244\r\n") << "";
    QTest::newRow("a sign") << QByteArray("+20261208124") << "";
}

void TestEngine::lastMinuteRecord()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, minute);
    const std::optional<qint64> read = ExaminedMinute::parse(bytes);
    if (minute.isEmpty()) {
        QVERIFY(!read);
        return;
    }
    QVERIFY(read);
    QCOMPARE(MinuteScheduler::wallClockDate(*read).toString(QStringLiteral("yyyy-MM-dd ")) +
                 MinuteScheduler::wallClockTime(*read).toString(QStringLiteral("HH:mm")),
             minute);
    QCOMPARE(ExaminedMinute::text(*read).toLatin1() + "\r\n", bytes.endsWith("\r\n") ? bytes : bytes + "\r\n");
}

void TestEngine::failingRecordIsToldOnce()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("cron-bat.dat"), "\r\n1|0|0|0|0|0|0|0|0|" + QFile::encodeName(dir.file("absent")) + "|\r\n");
    QVERIFY(QDir(dir.path()).mkdir(ExaminedMinute::fileName()));
    QVERIFY(mkfifo(QFile::encodeName(dir.file(EntryPast::fileName())).constData(), 0600) == 0);
    Harness h(dir);
    for (int minute = 0; minute < 3; ++minute) {
        h.engine.runPass();
        h.clock.advance(60);
    }
    // Every minute still runs; each record's failure is told once, naming its file.
    QCOMPARE(h.record.rows().filter(QStringLiteral("Fichier inexistant")).size(), 3);
    QCOMPARE(h.record.rows().filter(QStringLiteral("Accès au fichier refusé")),
             QStringList{"14:30:37 Accès au fichier refusé|derniere-minute.dat"});
    QTRY_COMPARE_WITH_TIMEOUT(h.record.rows().filter(QStringLiteral("|cron-bat.runs")).size(), 1, 10000);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")).count("Accès au fichier refusé;derniere-minute.dat\r\n"), 1);
    QVERIFY(QFileInfo(dir.file(EntryPast::fileName())).isFile() == false);
    QVERIFY(QFile::remove(dir.file(EntryPast::fileName())));
    // Working again, then failing again: told again.
    QVERIFY(QDir(dir.path()).rmdir(ExaminedMinute::fileName()));
    h.engine.runPass();
    h.clock.advance(60);
    QVERIFY(QFile::remove(dir.file(ExaminedMinute::fileName())));
    QVERIFY(QDir(dir.path()).mkdir(ExaminedMinute::fileName()));
    h.engine.runPass();
    QCOMPARE(h.record.rows().filter(QStringLiteral("|derniere-minute.dat")).size(), 2);
}

void TestEngine::manyStartsLeaveTheEventLoopItsTurns()
{
    TestProgramDir dir;
    QByteArray schedule = "\r\n";
    for (int i = 0; i < 6; ++i)
        schedule += "1|0|0|0|0|0|0|0|0|" + QFile::encodeName(dir.file(QStringLiteral("absent%1").arg(i))) + "|\r\n";
    schedule += "x|0|0|0|0|0|0|0|0|not-a-number|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    // A slice of no time: one piece of work, then the event loop's turn.
    Harness h(dir, QDateTime(QDate(2026, 12, 8), QTime(12, 43, 0)), 0);
    h.engine.runPass();
    QVERIFY(h.record.rows().isEmpty());
    QVERIFY(!h.engine.starts().idle());
    int doneAtTimer = -1;
    QTimer::singleShot(0, [&] { doneAtTimer = int(h.record.rows().size()); });
    QTRY_VERIFY(h.engine.starts().idle());
    QVERIFY(doneAtTimer >= 0);
    QVERIFY(doneAtTimer < 7);
    // In the order of the lines, the bad entry in its place; the minute is
    // recorded once its starts were made.
    QCOMPARE(h.record.rows().size(), 7);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(h.record.rows().at(i), "12:43:00 Fichier inexistant|" + dir.file(QStringLiteral("absent%1").arg(i)));
    QVERIFY2(h.record.rows().at(6).endsWith(QStringLiteral("(N° 007)")), qPrintable(h.record.rows().at(6)));
    QCOMPARE(dir.read(ExaminedMinute::fileName()), QByteArray("202612081243\r\n"));
}


void TestEngine::editsAndPausesKeepEveryOtherByte()
{
    TestProgramDir dir;
    // Options of a later version, bytes of another code page, empty lines.
    const QByteArray first("0|3|1|1|1|1|1|1|1|/usr/local/bin/backup|jours=1;x-essais=3;nom=Sauvegarde|later|");
    const QByteArray latin("5|0|0|0|0|0|0|0|0|/srv/caf\xe9.sh -v|");
    const QByteArray last("30|14|0|1|0|0|0|0|0|/srv/job.sh|");
    const QByteArray original = "en-t\xeate\r\n" + first + "\r\n\r\n" + latin + "\r\n\r\n" + last + "\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), original);
    Harness h(dir);
    const QString firstLine = h.engine.lines().item(1);

    // Suspended and resumed: the line as it was, every other line untouched.
    h.engine.setPaused({1, 3}, true);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")),
             "en-t\xeate\r\n" + first.chopped(7) + ";pause|later|\r\n\r\n" + latin.chopped(1) + "|pause|\r\n\r\n" +
                 last + "\r\n");
    QVERIFY(h.engine.lines().entry(3).options().paused());
    h.engine.setPaused({1, 3}, false);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), original);

    // The last line edited in place: only its bytes change.
    const QString edited = QStringLiteral("45|14|0|1|0|0|0|0|0|/srv/job.sh|nom=Soir|");
    QVERIFY(h.engine.replaceLine(5, h.engine.lines().item(5), edited));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), original.chopped(last.size() + 2) + edited.toUtf8() + "\r\n");
    QCOMPARE(h.engine.lines().item(5), edited);

    // Changed in the file since it was read: refused, nothing written.
    const QByteArray outside = original.chopped(last.size() + 2) + "0|0|0|0|0|0|0|0|1|/other|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"), outside);
    QVERIFY(!h.engine.replaceLine(5, edited, QStringLiteral("1|1|0|0|0|0|0|0|1|/mine|")));
    QVERIFY(!h.engine.replaceLine(9, edited, QStringLiteral("1|1|0|0|0|0|0|0|1|/mine|")));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), outside);
    // A line the list holds otherwise than the file is not suspended either.
    h.engine.setPaused({5}, true);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), outside);

    // Deleting another line keeps the rest as it is; a file with bare LF keeps them.
    h.engine.reloadWhenChanged();
    h.engine.lines().setItemIndex(5);
    h.engine.deleteSelected();
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), original.chopped(last.size() + 2));
    QCOMPARE(h.engine.lines().item(1), firstLine);
    dir.write(QStringLiteral("cron-bat.dat"), "\n" + last + "\n" + latin + "\n");
    h.engine.reloadWhenChanged();
    h.engine.setPaused({1}, true);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), "\n" + last + "pause|\n" + latin + "\n");
}

void TestEngine::pastOfEntriesKeptAcrossRestarts()
{
    TestProgramDir dir;
    const QString job = ProgramRun::writeJob(dir, QStringLiteral("job"));
    const QString missing = dir.file(QStringLiteral("absent.sh"));
    const QString jobLine = "0|3|0|0|0|0|0|0|1|" + job + "|";
    const QString missingLine = "30|14|0|1|0|0|0|0|0|" + missing + "|";
    const QString idleLine = QStringLiteral("1|1|0|0|0|0|0|0|1|/never/run|");
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n" + jobLine + "\r\n" + missingLine + "\r\n" + idleLine + "\r\n").toUtf8());
    auto h = std::make_unique<Harness>(dir);
    QSignalSpy changed(&h->engine, &SchedulingEngine::pastChanged);
    QVERIFY(!h->engine.past().of(jobLine));

    // A program started directly runs, then says how it ended.
    h->engine.runNow(1);
    QCOMPARE(h->engine.past().of(jobLine)->result, QStringLiteral("En cours"));
    QCOMPARE(h->engine.past().of(jobLine)->at, kNow);
    QTRY_COMPARE_WITH_TIMEOUT(h->engine.past().of(jobLine)->result, QStringLiteral("Terminé (code 0)"), 10000);
    h->clock.advance(60);
    h->engine.runNow(2);
    QCOMPARE(h->engine.past().of(missingLine)->result, QStringLiteral("Fichier inexistant"));
    QVERIFY(changed.count() >= 3);
    QVERIFY(!h->engine.past().of(idleLine));

    // Edited here, the entry keeps its past; the lines around it keep theirs.
    const QString renamed = jobLine + "nom=Nuit|";
    QVERIFY(h->engine.replaceLine(1, jobLine, renamed));
    QVERIFY(!h->engine.past().of(jobLine));
    QCOMPARE(h->engine.past().of(renamed)->result, QStringLiteral("Terminé (code 0)"));

    // A start seen running when the program stopped ended unseen: it started.
    h->engine.runNow(1);
    QCOMPARE(h->engine.past().of(renamed)->result, QStringLiteral("En cours"));
    h->engine.past().write();
    const QByteArray kept = dir.read(EntryPast::fileName());
    QVERIFY(kept.contains("|En cours|" + renamed.toUtf8() + "\r\n"));
    h.reset();
    dir.write(EntryPast::fileName(), kept + "not a record\r\n2026-12-08T10:00:00|Lancé|0|0|0|0|0|0|0|0|0|/gone|\r\n");
    Harness restarted(dir);
    QCOMPARE(restarted.engine.past().of(renamed)->result, QStringLiteral("Lancé"));
    QCOMPARE(restarted.engine.past().of(missingLine)->at, kNow.addSecs(60));
    // What the schedule no longer holds is not written again.
    restarted.engine.past().write();
    QVERIFY(!dir.read(EntryPast::fileName()).contains("/gone"));
    QVERIFY(dir.read(EntryPast::fileName()).contains(missingLine.toUtf8()));

    // Grown far beyond what the schedule needs: its first MiB is read, the
    // rest refused with a row, and the file is written back to its entries.
    QByteArray grown = dir.read(EntryPast::fileName());
    const QByteArray junk = "2026-12-08T10:00:00|Lancé|0|0|0|0|0|0|0|0|0|/not/listed|\r\n";
    while (grown.size() < 3 * EntryPast::kMostBytes)
        grown += junk;
    grown += "2026-12-08T11:00:00|Lancé|" + idleLine.toUtf8() + "\r\n";
    dir.write(EntryPast::fileName(), grown);
    Harness bounded(dir);
    QCOMPARE(bounded.record.rows(),
             QStringList{"14:30:37 Fichier trop grand : seul le premier Mo est lu|cron-bat.runs"});
    QCOMPARE(bounded.engine.past().of(missingLine)->at, kNow.addSecs(60));
    QVERIFY(!bounded.engine.past().of(idleLine));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(dir.file(EntryPast::fileName())).size() < 1000, 10000);
    QVERIFY(dir.read(EntryPast::fileName()).contains(missingLine.toUtf8()));
}

void TestEngine::aloneEntryWaitsForItsRunningStart()
{
    TestProgramDir dir;
    // Hangs until the test lets it go.
    const QString hanging = dir.file(QStringLiteral("hanging.sh"));
    dir.write(QStringLiteral("hanging.sh"), "#!/bin/sh\nwhile [ ! -e \"$0.go\" ] && [ -e \"$0\" ]; do sleep 0.1; done\n");
    QFile::setPermissions(hanging, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString line = "1|0|0|0|0|0|0|0|0|" + hanging + "|seul;nom=Synchro|";
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n" + line + "\r\n").toUtf8());
    Harness h(dir, QDateTime(QDate(2026, 12, 8), QTime(14, 30, 5)));
    for (int minute = 0; minute < 3; ++minute) {
        h.engine.runPass();
        h.clock.advance(60);
    }
    // Run now obeys it too.
    h.engine.runNow(1);
    const QString subject = hanging + " (Synchro)";
    QCOMPARE(h.record.rows(), (QStringList{"14:30:05|" + subject, "14:31:05 Déjà en cours|" + subject,
                                           "14:32:05 Déjà en cours|" + subject,
                                           "14:33:05 Déjà en cours|" + subject}));
    QVERIFY(dir.read(QStringLiteral("20261208.log")).contains(("14:31:05 Déjà en cours;" + subject + "\r\n").toUtf8()));
    // Once it ended, it starts again.
    dir.write(QStringLiteral("hanging.sh.go"), "");
    QTRY_VERIFY_WITH_TIMEOUT(!h.engine.past().isRunning(line), 10000);
    h.engine.runPass();
    QCOMPARE(h.record.rows().last(), "14:33:05|" + subject);

    // A web address is running until its request is answered.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString url = QStringLiteral("http://127.0.0.1:%1/slow").arg(server.serverPort());
    const QString urlLine = "1|0|0|0|0|0|0|0|0|" + url + "|seul|";
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n" + urlLine + "\r\n").toUtf8());
    h.engine.reloadWhenChanged();
    h.record.lines.clear();
    h.clock.advance(60);
    h.engine.runPass();
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 10000);
    QTcpSocket *held = server.nextPendingConnection();
    h.clock.advance(60);
    h.engine.runPass();
    QCOMPARE(h.record.rows(), QStringList{"14:35:05 Déjà en cours|" + url});
    held->write("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    held->flush();
    QTRY_VERIFY_WITH_TIMEOUT(!h.engine.past().isRunning(urlLine), 10000);
    QCOMPARE(h.record.rows().last(), "14:35:05|" + url);

    // One refused before any request: it ended, the next minute tries again.
    const QString badPort = QStringLiteral("1|0|0|0|0|0|0|0|0|http://127.0.0.1:abc/x|seul|");
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n" + badPort + "\r\n").toUtf8());
    h.engine.reloadWhenChanged();
    h.record.lines.clear();
    for (int minute = 0; minute < 2; ++minute) {
        h.clock.advance(60);
        h.engine.runPass();
    }
    const QString refused = QStringLiteral("'abc' n'est pas une valeur entière correcte");
    QCOMPARE(h.record.rows(), (QStringList{"14:36:05|" + refused + " (N° 001)", "14:37:05|" + refused + " (N° 001)"}));
    QVERIFY(!h.engine.past().isRunning(badPort));
    QCOMPARE(h.engine.past().of(badPort)->result, refused);
}

void TestEngine::missedStartsCaughtUpOnce()
{
    TestProgramDir dir;
    const QString late = dir.file(QStringLiteral("late.sh"));
    const QString lost = dir.file(QStringLiteral("lost.sh"));
    dir.write(QStringLiteral("cron-bat.dat"), ("\r\n0|3|1|1|1|1|1|1|1|" + late + "|rattrapage|\r\n0|3|1|1|1|1|1|1|1|" +
                                               lost + "|\r\n")
                                                  .toUtf8());
    // The program last looked on Sunday evening: two 03:00 went by unseen.
    dir.write(ExaminedMinute::fileName(), "202612062200\r\n");
    {
        Harness h(dir);
        h.engine.runPass();
        QCOMPARE(h.record.rows(), (QStringList{"14:30:37 Rattrapage mardi 03:00|" + late,
                                               "14:30:37 Fichier inexistant|" + late}));
        h.clock.advance(60);
        h.engine.runPass();
        QCOMPARE(h.record.rows().size(), 2);
    }
    // The record of the last minute was not kept (as when it cannot be
    // written): the runs record says the 03:00 start was made.
    dir.write(ExaminedMinute::fileName(), "202612062200\r\n");
    {
        Harness again(dir, kNow.addSecs(600));
        again.engine.runPass();
        QCOMPARE(again.record.rows(), QStringList());
    }

    // Stopped for weeks: once, for the latest due minute.
    dir.write(ExaminedMinute::fileName(), "202611010300\r\n");
    Harness after(dir, kNow.addDays(12).addSecs(-11 * 3600));
    after.engine.runPass();
    QCOMPARE(after.record.rows().first(), "03:30:37 Rattrapage dimanche 03:00|" + late);
    QCOMPARE(after.record.rows().size(), 2);
}

void TestEngine::optionsWithoutEffectOnADocumentAreTold()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("notes.txt"), "a document\n");
    const QString document = dir.file(QStringLiteral("notes.txt"));
    const QString program = ProgramRun::writeJob(dir, QStringLiteral("job"));
    const QByteArray schedule = ("\r\n0|3|1|1|1|1|1|1|1|" + document + "|seul;nom=Notes;max=5|\r\n" +
                                 "0|3|1|1|1|1|1|1|1|" + program + "|seul;max=5|\r\n" +
                                 "0|3|1|1|1|1|1|1|1|" + document + "|nom=Lu|\r\n" +
                                 "0|3|1|1|1|1|1|1|1|http://127.0.0.1:1/x|max=5|\r\n" +
                                 "0|3|1|1|1|1|1|1|1|" + document + "|max=9|\r\n")
                                    .toUtf8();
    dir.write(QStringLiteral("cron-bat.dat"), schedule);
    Harness h(dir);
    const QStringList told{"14:30:37 Sans effet sur un document : seul, max (N° 001)|" + document + " (Notes)",
                           "14:30:37 Sans effet sur un document : max (N° 005)|" + document};
    QCOMPARE(h.record.rows(), told);
    // Once a load: the passes say nothing more, a reload says it again.
    h.engine.runPass();
    h.engine.runPass();
    QCOMPARE(h.record.rows(), told);
    dir.write(QStringLiteral("cron-bat.dat"), schedule + "\r\n");
    h.engine.reloadWhenChanged();
    QCOMPARE(h.record.rows(), told + told);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
