#include "runner/targetsplit.h"

#include <QTest>

class TestTargetSplit : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void pathsInParameters_data();
    void pathsInParameters();
};

void TestTargetSplit::split_data()
{
    QTest::addColumn<QString>("separators");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("exe");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("parameters");

    const QString win = QStringLiteral("\\:");
    QTest::newRow("win whole") << win << "C:\\jobs\\backup.bat" << false << "C:\\jobs\\backup.bat" << "";
    QTest::newRow("win parameter") << win << "C:\\jobs\\backup.bat -full" << true
                                   << "C:\\jobs\\backup.bat" << "-full";
    QTest::newRow("win blank in directory")
        << win << "C:\\Program Files\\App\\app.exe /s /q" << true
        << "C:\\Program Files\\App\\app.exe" << "/s /q";
    QTest::newRow("win drive root") << win << "C:\\prog.exe -x" << true << "C:\\prog.exe" << "-x";
    QTest::newRow("win blank in name") << win << "C:\\tools\\my tool.exe" << true << "C:\\tools\\my"
                                       << "tool.exe";
    QTest::newRow("win backslash in parameters")
        << win << "C:\\tools\\copy.exe D:\\save" << false << "C:\\tools\\copy.exe D:\\save" << "";
    // The program path gains a backslash the target lacks: nothing is removed.
    QTest::newRow("win drive without root")
        << win << "C:prog.exe -x" << true << "C:\\prog.exe" << "C:prog.exe -x";
    QTest::newRow("win web address") << win << "http://host/a.php?x=1" << false
                                     << "http://host/a.php?x=1" << "";
    QTest::newRow("win no separator") << win << "prog.exe -x" << true << "prog.exe" << "-x";

    const QString posix = QStringLiteral("/");
    QTest::newRow("posix whole") << posix << "/home/u/jobs/backup.sh" << false
                                 << "/home/u/jobs/backup.sh" << "";
    QTest::newRow("posix parameters") << posix << "/home/u/jobs/poll.sh -q -v" << true
                                      << "/home/u/jobs/poll.sh" << "-q -v";
    QTest::newRow("posix blank in directory")
        << posix << "/home/u/My Jobs/run.sh now" << true << "/home/u/My Jobs/run.sh" << "now";
    QTest::newRow("posix root") << posix << "/prog -x" << true << "/prog" << "-x";
    QTest::newRow("posix word alone") << posix << "backup.sh -x" << true << "backup.sh" << "-x";
    QTest::newRow("posix every occurrence removed")
        << posix << "run.sh run.sh x" << true << "run.sh" << "x";
    QTest::newRow("posix web address with blank goes to Exe")
        << posix << "http://host/a b" << true << "http://host/a" << "b";
    QTest::newRow("posix slash in parameters")
        << posix << "/usr/bin/rsync -a /data /backup" << false << "/usr/bin/rsync -a /data /backup"
        << "";
}

void TestTargetSplit::split()
{
    QFETCH(QString, separators);
    QFETCH(QString, target);
    QFETCH(bool, exe);
    QFETCH(QString, program);
    QFETCH(QString, parameters);
    const LaunchCall call = splitTargetForLaunch(target, separators);
    QCOMPARE(call.withParameters, exe);
    QCOMPARE(call.program, program);
    QCOMPARE(call.parameters, parameters);
}

void TestTargetSplit::pathsInParameters_data()
{
    QTest::addColumn<QString>("separators");
    QTest::addColumn<QStringList>("files"); // what exists as a file
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("exe");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("parameters");

    const QString posix = QStringLiteral("/");
    const QStringList bin{"/usr/bin/rsync", "/home/me/backup.sh", "/home/me/My Jobs/run.sh"};
    QTest::newRow("rsync with paths") << posix << bin << "/usr/bin/rsync -a /data /backup" << true
                                      << "/usr/bin/rsync" << "-a /data /backup";
    QTest::newRow("one path parameter") << posix << bin << "/home/me/backup.sh /home/me" << true
                                        << "/home/me/backup.sh" << "/home/me";
    QTest::newRow("blank in the directory, path parameter")
        << posix << bin << "/home/me/My Jobs/run.sh /tmp/x y" << true << "/home/me/My Jobs/run.sh"
        << "/tmp/x y";
    // The longest prefix wins: a program whose name holds a blank.
    QTest::newRow("longest prefix")
        << posix << QStringList{"/opt/a", "/opt/a b"} << "/opt/a b /in /out" << true << "/opt/a b"
        << "/in /out";
    // What the first rule starts keeps its result.
    QTest::newRow("first rule kept") << posix << QStringList{"/home/u/poll.sh", "/home/u/poll.sh -q"}
                                     << "/home/u/poll.sh -q -v" << true << "/home/u/poll.sh" << "-q -v";
    QTest::newRow("whole target is a file")
        << posix << QStringList{"/srv/a /b", "/srv/a"} << "/srv/a /b" << false << "/srv/a /b" << "";
    QTest::newRow("nothing exists: missing as before")
        << posix << QStringList{} << "/usr/bin/rsync -a /data /backup" << false
        << "/usr/bin/rsync -a /data /backup" << "";
    QTest::newRow("folders do not count")
        << posix << QStringList{} << "/usr/bin /x" << false << "/usr/bin /x" << "";
    QTest::newRow("secure web address left alone")
        << posix << QStringList{"https://host/run.php"} << "https://host/run.php /x" << false
        << "https://host/run.php /x" << "";
    QTest::newRow("web address left alone")
        << posix << QStringList{"http://host/run.php"} << "http://host/run.php /x" << false
        << "http://host/run.php /x" << "";

    const QString win = QStringLiteral("\\:");
    QTest::newRow("win copy to a drive")
        << win << QStringList{"C:\\tools\\copy.exe"} << "C:\\tools\\copy.exe D:\\save" << true
        << "C:\\tools\\copy.exe" << "D:\\save";
    QTest::newRow("win blank in directory")
        << win << QStringList{"C:\\Program Files\\App\\app.exe"}
        << "C:\\Program Files\\App\\app.exe /s C:\\x" << true << "C:\\Program Files\\App\\app.exe"
        << "/s C:\\x";
}

void TestTargetSplit::pathsInParameters()
{
    QFETCH(QString, separators);
    QFETCH(QStringList, files);
    QFETCH(QString, target);
    QFETCH(bool, exe);
    QFETCH(QString, program);
    QFETCH(QString, parameters);
    const LaunchCall call = resolveTargetForLaunch(
        target, separators, [&](const QString &path) { return files.contains(path); });
    QCOMPARE(call.withParameters, exe);
    QCOMPARE(call.program, program);
    QCOMPARE(call.parameters, parameters);
}

QTEST_GUILESS_MAIN(TestTargetSplit)
#include "tst_targetsplit.moc"
