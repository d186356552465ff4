#include "platform/programfolders.h"
#include "programrun.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using Platform::ExecutablePlace;

class TestProgramFolders : public QObject
{
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void aFolderItsUserCannotWrite();
};

void TestProgramFolders::rule_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("holdsData");
    QTest::addColumn<bool>("installedData");
    QTest::addColumn<bool>("holdsSchedule");
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("data");
    const QString portable = QStringLiteral("/opt/pendulix/");
    QTest::newRow("a copy of its own") << true << true << false << false << QString() << portable << portable;
    QTest::newRow("the executable alone, as tests copy it") << true << false << false << false << QString() << portable
                                                            << portable;
    QTest::newRow("read-only with its schedule") << false << true << false << true << QString() << portable
                                                 << portable;
    QTest::newRow("installed, a schedule beside it is no one's") << false << false << true << true
                                                                 << QStringLiteral("/data/ann")
                                                                 << QStringLiteral("/data/ann/pendulix/")
                                                                 << QStringLiteral("/opt/share/pendulix/");
    QTest::newRow("read-only with its data") << false << true << false << false << QString()
                                             << QStringLiteral("/home/ann/.local/share/pendulix/") << portable;
    QTest::newRow("installed for everyone") << false << false << true << false << QStringLiteral("/data/ann")
                                            << QStringLiteral("/data/ann/pendulix/")
                                            << QStringLiteral("/opt/share/pendulix/");
    // Root can write /usr/bin: the schedule still does not go there.
    QTest::newRow("installed, run by root") << true << false << true << false << QString()
                                            << QStringLiteral("/home/ann/.local/share/pendulix/")
                                            << QStringLiteral("/opt/share/pendulix/");
    QTest::newRow("installed, a copy beside it wins") << true << true << true << false << QString() << portable << portable;
    QTest::newRow("a relative XDG_DATA_HOME is ignored") << false << false << true << false << QStringLiteral("data")
                                                         << QStringLiteral("/home/ann/.local/share/pendulix/")
                                                         << QStringLiteral("/opt/share/pendulix/");
    QTest::newRow("a trailing separator") << false << false << true << false << QStringLiteral("/data/ann/")
                                          << QStringLiteral("/data/ann/pendulix/")
                                          << QStringLiteral("/opt/share/pendulix/");
}

void TestProgramFolders::rule()
{
    QFETCH(bool, writable);
    QFETCH(bool, holdsData);
    QFETCH(bool, installedData);
    QFETCH(bool, holdsSchedule);
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, own);
    QFETCH(QString, data);
    const ExecutablePlace place{QStringLiteral("/opt/pendulix/"), writable, holdsData, installedData, holdsSchedule};
    const Platform::ProgramFolders folders = Platform::chooseProgramFolders(place, xdgDataHome, QStringLiteral("/home/ann"));
    QCOMPARE(folders.own, own);
    QCOMPARE(folders.data, data);
    QCOMPARE(folders.executable, place.directory);
}

void TestProgramFolders::aFolderItsUserCannotWrite()
{
    // The program with its data, and no schedule yet, in a folder its user
    // may not write: its files go to that user's data folder, made for that
    // user alone, and it still reads its languages beside itself.
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    QTemporaryDir home;
    const QString data = home.filePath(QStringLiteral("data"));
    QDir(home.path()).mkdir(QStringLiteral("run"));
    QFile::setPermissions(home.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    const bool root = ::geteuid() == 0;
    if (root) {
        // Root writes anywhere: the user who cannot is "nobody".
        giveToUnprivilegedUser(home.path());
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        program.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                                 QStringLiteral("--clear-groups"), dir.file(QStringLiteral("Pendulix"))});
    } else {
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        program.start(dir.file(QStringLiteral("Pendulix")), {});
    }
    const QString own = data + QStringLiteral("/pendulix/");
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(own + QStringLiteral("serie.ini")).size() > 0, 20000);
    QVERIFY(QFile::exists(own + QStringLiteral("cron-bat.dat")));
    QCOMPARE(QFileInfo(own).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser |
                                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner),
             QFileDevice::Permissions());
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Nothing was written beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("Pendulix"), QStringLiteral("pendulix-run"), QStringLiteral("sourcelang.ini")}));
}

QTEST_MAIN(TestProgramFolders)
#include "tst_programfolders.moc"
