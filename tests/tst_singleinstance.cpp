#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

// The program in a directory of its own, with its own runtime directory, so
// neither its files nor its lock meet another test's.
struct Installed
{
    Installed()
    {
        QDir(dir.path()).mkdir(QStringLiteral("run"));
        QFile::setPermissions(dir.file(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
        QFile::copy(QStringLiteral(PENDULIX_EXECUTABLE), executable());
    }
    QString executable() const { return dir.file(QStringLiteral("Pendulix")); }

    void start(QProcess &process, QProcessEnvironment env = runtimeEnvironment()) const
    {
        if (env.isEmpty()) {
            env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
        }
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(executable(), {});
    }

    static QProcessEnvironment runtimeEnvironment() { return QProcessEnvironment(); }

    TestProgramDir dir;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondInstanceEndsAtOnce();
    void crashedInstanceDoesNotBlock();
    void withoutRuntimeFolderTheLockIsPrivate();
};

void TestSingleInstance::secondInstanceEndsAtOnce()
{
    Installed program;
    QProcess first;
    program.start(first);
    QVERIFY(first.waitForStarted());
    // The first run creates the schedule file: it has passed the lock by then.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program.dir.file(QStringLiteral("cron-bat.dat"))), 10000);
    QCOMPARE(program.dir.read(QStringLiteral("cron-bat.dat")), QByteArray("\r\n"));

    // The running one listens for the second start's request, in its user's folder only.
    const QString channel = program.dir.file(QStringLiteral("run/Pendulix.show"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(channel).exists(), 10000);
    QCOMPARE(QFileInfo(channel).permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther |
                                                QFileDevice::ReadGroup | QFileDevice::WriteGroup),
             QFileDevice::Permissions());

    QProcess second;
    program.start(second);
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    // The session's end: no question, exit code 0.
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
}

void TestSingleInstance::crashedInstanceDoesNotBlock()
{
    Installed program;
    QProcess crashed;
    program.start(crashed);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program.dir.file(QStringLiteral("cron-bat.dat"))), 10000);
    crashed.kill();
    QVERIFY(crashed.waitForFinished(10000));

    QProcess next;
    program.start(next);
    // Still running after a while: it holds the lock the dead one left.
    QVERIFY(!next.waitForFinished(1500));
    next.terminate();
    QVERIFY(next.waitForFinished(10000));
    QCOMPARE(next.exitCode(), 0);
}

void TestSingleInstance::withoutRuntimeFolderTheLockIsPrivate()
{
    Installed program;
    QDir(program.dir.path()).mkpath(QStringLiteral("tmp"));
    QDir(program.dir.path()).mkpath(QStringLiteral("home"));
    QFile::setPermissions(program.dir.file(QStringLiteral("tmp")), QFileDevice::Permissions(0x7777));
    // Another user got there first and made the temp folder's lock place his:
    // it must neither keep us from starting nor let two of us run.
    const QString taken = program.dir.file(QStringLiteral("tmp/Pendulix-%1").arg(::getuid()));
    QVERIFY(QDir().mkpath(taken));
    QFile::setPermissions(taken, QFileDevice::Permissions(0x7777));
    giveToUnprivilegedUser(taken);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), program.dir.file(QStringLiteral("tmp")));
    env.insert(QStringLiteral("HOME"), program.dir.file(QStringLiteral("home")));
    // The first start holds `lock`; a second one ends at once while it runs.
    const auto onlyOneRuns = [&](const QString &lock) {
        QProcess first;
        program.start(first, env);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
        QProcess second;
        program.start(second, env);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    };
    const QString own = program.dir.file(QStringLiteral("home/.cache/Pendulix-%1").arg(::getuid()));
    onlyOneRuns(own + QStringLiteral("/Pendulix.lock"));
    QVERIFY(QDir(taken).entryList(QDir::Files).isEmpty());
    QCOMPARE(QFile::permissions(own) & 0x0077, QFileDevice::Permissions());

    // No cache folder can be made either: the program's own folder holds the lock.
    QVERIFY(QDir(program.dir.file(QStringLiteral("home/.cache"))).removeRecursively());
    program.dir.write(QStringLiteral("home/.cache"), "not a folder");
    onlyOneRuns(program.dir.file(QStringLiteral("Pendulix.lock")));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
