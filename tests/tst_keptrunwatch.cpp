// What a keeper leaves in the runs folder, read back: the end lines of every
// kind, the record they follow, and the three states a run file can be found
// in by a later instance (locked, ended, unlocked), including the end a keeper
// left where it was when its move into "ended/" failed.
#include "platform/keptrunwatch.h"
#include "platform/posix/posixkeeper.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

using Platform::TargetEvent;
namespace Watch = Platform::KeptRunWatch;

namespace {

const QByteArray kRecord = "start 2026-12-10T08:00:00\nline 0|8|1|1|1|1|1|0|0|/bin/job|\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A lock as a live keeper holds it, for as long as the object lives.
class HeldLock
{
public:
    explicit HeldLock(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~HeldLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool held() const { return m_fd >= 0; }

private:
    int m_fd;
};

} // namespace

class TestKeptRunWatch : public QObject
{
    Q_OBJECT

private slots:
    void endsAreRead_data()
    {
        QTest::addColumn<QByteArray>("ending");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("number");
        QTest::addColumn<qint64>("at");

        QTest::newRow("exited") << QByteArray("end 1796900000\nresult exited 3\n") << 0
                                << int(TargetEvent::Exited) << 3 << qint64(1796900000);
        QTest::newRow("killed") << QByteArray("end 1796900001\nresult killed 9\n") << 0
                                << int(TargetEvent::Killed) << 9 << qint64(1796900001);
        QTest::newRow("stopped, minutes from the keeper")
            << QByteArray("end 5\nresult stopped 120000\n") << 0 << int(TargetEvent::Stopped) << 2 << qint64(5);
        QTest::newRow("stopped, minutes of the entry")
            << QByteArray("end 5\nresult stopped 120000\n") << 7 << int(TargetEvent::Stopped) << 7 << qint64(5);
        QTest::newRow("requested") << QByteArray("end 6\nresult requested 0\n") << 0
                                   << int(TargetEvent::StoppedOnRequest) << 0 << qint64(6);
        QTest::newRow("refused") << QByteArray("end 7\nresult refused 2\n") << 0 << int(TargetEvent::Refused) << 0
                                 << qint64(7);
        QTest::newRow("no end: lost") << QByteArray() << 0 << int(TargetEvent::KeeperLost) << 0 << qint64(0);
        QTest::newRow("an end cut before its result: lost")
            << QByteArray("end 8\n") << 0 << int(TargetEvent::KeeperLost) << 0 << qint64(0);
    }

    void endsAreRead()
    {
        QFETCH(QByteArray, ending);
        QFETCH(int, minutes);
        QFETCH(int, kind);
        QFETCH(int, number);
        QFETCH(qint64, at);
        const Platform::KeptRun run = Watch::parse(QStringLiteral("/r/runs/1.run"), kRecord + ending, minutes);
        QCOMPARE(int(run.end.kind), kind);
        QCOMPARE(run.end.number, number);
        QCOMPARE(run.end.endedAt, at);
        // The record is what Pendulix wrote, never the keeper's lines.
        QCOMPARE(run.record, kRecord);
        QVERIFY(run.end.outputCut);
    }

    void aLaterInstanceFindsEachState()
    {
        QTemporaryDir dir;
        const QString runs = dir.path() + QStringLiteral("/runs");
        QVERIFY(QDir().mkpath(runs + QStringLiteral("/ended")));
        const QString going = runs + QStringLiteral("/going.run");
        const QString lost = runs + QStringLiteral("/lost.run");
        const QString endedInPlace = runs + QStringLiteral("/inplace.run");
        const QString ended = runs + QStringLiteral("/ended.run");
        QVERIFY(writeFile(going, kRecord));
        QVERIFY(writeFile(lost, kRecord));
        QVERIFY(writeFile(endedInPlace, kRecord + "end 10\nresult exited 4\n"));
        QVERIFY(writeFile(Watch::endedPath(ended), kRecord + "end 11\nresult killed 15\n"));
        const HeldLock keeper(going);
        QVERIFY(keeper.held());

        QHash<QString, Platform::KeptRun> found;
        for (const Platform::KeptRun &run : Watch::find(runs, Posix::runFileLocked))
            found.insert(QFileInfo(run.runFile).fileName(), run);
        QCOMPARE(found.size(), 4);
        QVERIFY(found.value(QStringLiteral("going.run")).running);
        QVERIFY(!found.value(QStringLiteral("lost.run")).running);
        QCOMPARE(int(found.value(QStringLiteral("lost.run")).end.kind), int(TargetEvent::KeeperLost));
        QVERIFY(!found.value(QStringLiteral("inplace.run")).running);
        QCOMPARE(int(found.value(QStringLiteral("inplace.run")).end.kind), int(TargetEvent::Exited));
        QCOMPARE(found.value(QStringLiteral("inplace.run")).end.number, 4);
        // An ended run is named as it was started, not by where its file went.
        QCOMPARE(found.value(QStringLiteral("ended.run")).runFile, ended);
        QCOMPARE(int(found.value(QStringLiteral("ended.run")).end.kind), int(TargetEvent::Killed));
        QCOMPARE(found.value(QStringLiteral("ended.run")).record, kRecord);
    }

    void foreignRunsAreFollowedToTheirEnd()
    {
        QTemporaryDir dir;
        const QString runs = dir.path() + QStringLiteral("/runs");
        QVERIFY(QDir().mkpath(runs + QStringLiteral("/ended")));
        const QString moved = runs + QStringLiteral("/moved.run");
        const QString inPlace = runs + QStringLiteral("/inplace.run");
        const QString lost = runs + QStringLiteral("/lost.run");
        QVERIFY(writeFile(moved, kRecord));
        QVERIFY(writeFile(inPlace, kRecord));
        QVERIFY(writeFile(lost, kRecord));
        auto movedLock = std::make_optional<HeldLock>(moved);
        auto inPlaceLock = std::make_optional<HeldLock>(inPlace);
        auto lostLock = std::make_optional<HeldLock>(lost);
        QVERIFY(movedLock->held() && inPlaceLock->held() && lostLock->held());

        QObject context;
        QHash<QString, TargetEvent> ends;
        for (const QString &runFile : {moved, inPlace, lost})
            Watch::watchForeign(runFile, 0, Posix::runFileLocked, &context,
                                [&ends, runFile](const TargetEvent &end) { ends.insert(runFile, end); });

        // Each as its keeper leaves it: moved with its end, its end appended
        // where it was (the move failed), or nothing (the keeper was killed).
        QVERIFY(writeFile(Watch::endedPath(moved), kRecord + "end 20\nresult exited 0\n"));
        QVERIFY(QFile::remove(moved));
        movedLock.reset();
        QVERIFY(writeFile(inPlace, kRecord + "end 21\nresult exited 6\n"));
        inPlaceLock.reset();
        lostLock.reset();

        QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 3, 10000);
        QCOMPARE(int(ends.value(moved).kind), int(TargetEvent::Exited));
        QCOMPARE(ends.value(moved).endedAt, qint64(20));
        QCOMPARE(int(ends.value(inPlace).kind), int(TargetEvent::Exited));
        QCOMPARE(ends.value(inPlace).number, 6);
        QCOMPARE(int(ends.value(lost).kind), int(TargetEvent::KeeperLost));
        // Once told, the files go: nothing is told twice after a restart.
        QVERIFY(!QFile::exists(Watch::endedPath(moved)));
        QVERIFY(!QFile::exists(inPlace));
        QVERIFY(!QFile::exists(lost));
    }
};

QTEST_GUILESS_MAIN(TestKeptRunWatch)
#include "tst_keptrunwatch.moc"
