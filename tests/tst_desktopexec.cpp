#include "platform/platform.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// The autostart entry as the desktop reads it: the Exec line by the Desktop
// Entry rules, checked by desktop-file-validate and started by GLib's own
// launcher, for program folders a user may well have.
class TestDesktopExec : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void entryStartsTheProgram_data();
    void entryStartsTheProgram();
    void pathNoLineCanHold();

private:
    TestProgramDir m_config;
    QByteArray m_savedConfig;
};

void TestDesktopExec::initTestCase()
{
    m_savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty(),
             "desktop-file-validate (Debian's desktop-file-utils) is installed by the setup");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty(),
             "gio (Debian's libglib2.0-bin) is installed by the setup");
}

void TestDesktopExec::cleanupTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_savedConfig);
}

void TestDesktopExec::entryStartsTheProgram_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("exec"); // after the program directory
    QTest::newRow("plain") << "bin" << QByteArray("bin/Pendulix\"");
    QTest::newRow("blanks") << "my programs" << QByteArray("my programs/Pendulix\"");
    QTest::newRow("double quote") << "say \"hi\"" << QByteArray("say \\\\\"hi\\\\\"/Pendulix\"");
    QTest::newRow("dollar and backquote") << "$HOME `id`" << QByteArray("\\\\$HOME \\\\`id\\\\`/Pendulix\"");
    QTest::newRow("backslash") << "a\\b" << QByteArray("a\\\\\\\\b/Pendulix\"");
    QTest::newRow("percent") << "100%" << QByteArray("100%%/Pendulix\"");
    QTest::newRow("percents and a dollar") << "50% $x%d" << QByteArray("50%% \\\\$x%%d/Pendulix\"");
    QTest::newRow("letters beyond ASCII") << "Été" << QByteArray("\xc3\x89t\xc3\xa9/Pendulix\"");
}

void TestDesktopExec::entryStartsTheProgram()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, exec);
    TestProgramDir root;
    QVERIFY(QDir(root.path()).mkpath(folder));
    const QString program = root.file(folder + QStringLiteral("/Pendulix"));
    const QString marker = root.file(QStringLiteral("started"));
    {
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n");
    }
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(Platform::setStartWithSession(true, program), QString());
    const QString entry = Platform::startWithSessionEntry();
    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // Through env where GLib's lookup would miss the path.
    const QByteArray command = folder.contains(QLatin1Char('%')) ? "env \"" : "\"";
    QVERIFY2(text.contains("\nExec=" + command + QFile::encodeName(root.path()) + exec + "\n"), text.constData());

    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY(validate.waitForFinished(10000));
    QVERIFY2(validate.exitCode() == 0, validate.readAllStandardOutput().constData());

    QProcess launch;
    launch.start(QStringLiteral("gio"), {QStringLiteral("launch"), entry});
    QVERIFY(launch.waitForFinished(10000));
    QVERIFY2(launch.exitCode() == 0, launch.readAllStandardError().constData());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
}

void TestDesktopExec::pathNoLineCanHold()
{
    QFile::remove(Platform::startWithSessionEntry());
    const QString failure = Platform::setStartWithSession(true, QStringLiteral("/opt/two\nlines/Pendulix"));
    QCOMPARE(failure, QStringLiteral("Démarrage avec la session impossible : le chemin du programme contient un saut de ligne"));
    QVERIFY(!QFile::exists(Platform::startWithSessionEntry()));
}

QTEST_GUILESS_MAIN(TestDesktopExec)
#include "tst_desktopexec.moc"
