#include "runner/targetsplit.h"

#include <QTest>

class TestTargetSplit : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
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

QTEST_GUILESS_MAIN(TestTargetSplit)
#include "tst_targetsplit.moc"
