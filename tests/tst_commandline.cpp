#include "programrun.h"
#include "testprogramdir.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QMap>
#include <QTest>

#include <unistd.h>

namespace {

QProcessEnvironment locale(const char *name)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(name));
    return env;
}

// Every file of the folder with its bytes: what a start changed, if anything;
// but the record of the minute, which the instance writes every minute.
QMap<QString, QByteArray> filesOf(const TestProgramDir &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files)) {
        if (name != QLatin1String("Pendulix") && name != QLatin1String("pendulix-run") &&
            name != QLatin1String("derniere-minute.dat"))
            files.insert(name, dir.read(name));
    }
    return files;
}

// A weekday entry at a minute twelve hours away: it runs only when asked.
QByteArray entryFarFromNow(const QString &target, const QByteArray &options)
{
    const QTime away = QTime::currentTime().addSecs(12 * 3600);
    return QByteArray::number(away.minute()) + '|' + QByteArray::number(away.hour()) + "|1|1|1|1|1|1|1|" +
           target.toUtf8() + '|' + options + "|\r\n";
}

QByteArray ask(const TestProgramDir &dir, const QByteArray &said)
{
    QLocalSocket peer;
    peer.connectToServer(dir.file(QStringLiteral("run/Pendulix.show")));
    if (!peer.waitForConnected(5000))
        return "not connected";
    peer.write(said);
    QByteArray answer;
    while (peer.state() == QLocalSocket::ConnectedState && peer.waitForReadyRead(5000))
        answer += peer.readAll();
    return answer + peer.readAll();
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void helpAndVersionInTheLanguage_data();
    void helpAndVersionInTheLanguage();
    void theToolkitsOptionsStartTheWindow();
    void badArgumentsChangeNothing_data();
    void badArgumentsChangeNothing();
    void listReadsTheFilesOnly();
    void withoutAnInstance_data();
    void withoutAnInstance();
    void actsOnTheRunningInstance();
    void stopsARun();
    void hostileRequestsChangeNothing_data();
    void hostileRequestsChangeNothing();
    void anotherUserIsNotHeard();

private:
    TestProgramDir m_idle; // no instance ever runs here
    TestProgramDir m_dir;  // the running instance's
    QProcess m_program;
    QString m_job;
    QString m_long;
};

void TestCommandLine::initTestCase()
{
    QVERIFY(ProgramRun::install(m_idle));
    QVERIFY(ProgramRun::install(m_dir));
    m_job = ProgramRun::writeJob(m_dir, QStringLiteral("job"));
    m_long = m_dir.file(QStringLiteral("long.sh"));
    m_dir.write(QStringLiteral("long.sh"), "#!/bin/sh\necho started > \"$0.ran\"\nexec sleep 300\n");
    QFile::setPermissions(m_long, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The instance speaks English: what it saves, the terminal speaks too.
    m_dir.write(QStringLiteral("serie.ini"), "[Form1]\r\nEdit_4=English\r\n");
    m_dir.write(QStringLiteral("cron-bat.dat"), "\r\n" + entryFarFromNow(m_job, "nom=alpha") +
                                                    entryFarFromNow(m_long, "nom=long"));
    ProgramRun::start(m_dir, m_program);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir.file(QStringLiteral("run/Pendulix.show"))), 20000);
    // Its start-up is over once the first hide has saved the settings: from
    // then on, only what a test asks changes its files.
    QTRY_VERIFY_WITH_TIMEOUT(m_dir.read(QStringLiteral("serie.ini")).contains("CheckBox_14="), 20000);
}

void TestCommandLine::cleanupTestCase()
{
    QVERIFY(ProgramRun::stop(m_program));
}

void TestCommandLine::helpAndVersionInTheLanguage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("savedLanguage");
    QTest::addColumn<QByteArray>("terminal");
    QTest::addColumn<QByteArray>("expected");
    const QStringList help = {QStringLiteral("--help")};
    QTest::newRow("English on an English terminal") << help << QByteArray() << QByteArray("C.UTF-8")
                                                   << QByteArray("Exit codes: 0 done; 1 bad arguments; 2 no such "
                                                                 "entry; 3 no instance running.");
    QTest::newRow("French on a French terminal") << help << QByteArray() << QByteArray("fr_FR.UTF-8")
                                                << QByteArray("--run-now <N|NOM>");
    QTest::newRow("the saved language first") << help << QByteArray("English") << QByteArray("fr_FR.UTF-8")
                                             << QByteArray("--pause <N|NAME>");
    QTest::newRow("French saved on an English terminal")
        << help << QByteArray("French") << QByteArray("C.UTF-8") << QByteArray("Codes de sortie : 0 fait");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << QByteArray() << QByteArray("C.UTF-8")
                             << QByteArray("Pendulix 1.5.2\n");
}

void TestCommandLine::helpAndVersionInTheLanguage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, savedLanguage);
    QFETCH(QByteArray, terminal);
    QFETCH(QByteArray, expected);
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    if (!savedLanguage.isEmpty())
        dir.write(QStringLiteral("serie.ini"), "[Form1]\r\nEdit_4=" + savedLanguage + "\r\n");
    const ProgramRun::Said said = ProgramRun::command(dir, arguments, locale(terminal.constData()));
    QCOMPARE(said.code, 0);
    QVERIFY2(said.out.contains(expected), said.out.constData());
    // A terminal start is no instance: no lock, no schedule made.
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("cron-bat.dat"))));
}

void TestCommandLine::theToolkitsOptionsStartTheWindow()
{
    // A session manager restarts the program with "-session": the window's
    // start, not a terminal's complaint.
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
    program.setProcessEnvironment(env);
    program.start(dir.file(QStringLiteral("Pendulix")),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-session"),
                   QStringLiteral("1234abcd")});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("cron-bat.dat"))), 20000);
    QVERIFY(ProgramRun::stop(program));
}

void TestCommandLine::badArgumentsChangeNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("complaint");
    QTest::newRow("an unknown option") << QStringList{QStringLiteral("--frobnicate")} << QByteArray("frobnicate");
    QTest::newRow("two actions") << QStringList{QStringLiteral("--list"), QStringLiteral("--pause"), QStringLiteral("1")}
                                 << QByteArray("One action at a time");
    QTest::newRow("one action twice") << QStringList{QStringLiteral("--pause=1"), QStringLiteral("--pause=2")}
                                      << QByteArray("One action at a time");
    QTest::newRow("json alone") << QStringList{QStringLiteral("--json")} << QByteArray("--json goes with --list");
    QTest::newRow("a value missing") << QStringList{QStringLiteral("--run-now")} << QByteArray("run-now");
    QTest::newRow("an argument besides") << QStringList{QStringLiteral("--list"), QStringLiteral("extra")}
                                         << QByteArray("Unexpected argument: extra");
}

void TestCommandLine::badArgumentsChangeNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, complaint);
    const QMap<QString, QByteArray> before = filesOf(m_dir);
    const ProgramRun::Said said = ProgramRun::command(m_dir, arguments, locale("C.UTF-8"));
    QCOMPARE(said.code, 1);
    QVERIFY2(said.err.contains(complaint), said.err.constData());
    QCOMPARE(said.out, QByteArray());
    QCOMPARE(m_program.state(), QProcess::Running);
    QCOMPARE(filesOf(m_dir), before);
}

void TestCommandLine::listReadsTheFilesOnly()
{
    TestProgramDir dir;
    QVERIFY(ProgramRun::install(dir));
    const QByteArray second = "15|0|0|0|0|0|0|0|0|/bin/true every|\r\n";
    dir.write(QStringLiteral("cron-bat.dat"),
              "\r\n30|14|0|1|0|0|0|0|0|/bin/backup.sh|nom=sauvegarde;pause|\r\n\r\n" + second);
    dir.write(QStringLiteral("cron-bat.runs"),
              "2026-12-01T14:30:05|Terminé (code 3)|" + second.chopped(2) + "\r\n");
    const QMap<QString, QByteArray> before = filesOf(dir);

    const ProgramRun::Said text = ProgramRun::command(dir, {QStringLiteral("--list")}, locale("C.UTF-8"));
    QCOMPARE(text.code, 0);
    const QList<QByteArray> lines = text.out.split('\n');
    QCOMPARE(lines.size(), 3); // two entries, the empty line is none, and the end
    QVERIFY2(lines.at(0).startsWith("001  sauvegarde  Runs at 14 hours and 30 minutes, on Tuesday ; suspended  "), lines.at(0).constData());
    QVERIFY2(lines.at(0).endsWith("  suspended  -  -  /bin/backup.sh"), lines.at(0).constData());
    QVERIFY2(lines.at(1).startsWith("003  -  Runs every 15 minutes  "), lines.at(1).constData());
    QVERIFY2(lines.at(1).endsWith("  01/12/2026 14:30  Terminé (code 3)  /bin/true every"), lines.at(1).constData());

    const ProgramRun::Said json =
        ProgramRun::command(dir, {QStringLiteral("--list"), QStringLiteral("--json")}, locale("fr_FR.UTF-8"));
    QCOMPARE(json.code, 0);
    const QJsonArray entries = QJsonDocument::fromJson(json.out).array();
    QCOMPARE(entries.size(), 2);
    const QJsonObject first = entries.at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("number")).toInt(), 1);
    QCOMPARE(first.value(QStringLiteral("name")).toString(), QStringLiteral("sauvegarde"));
    QCOMPARE(first.value(QStringLiteral("paused")).toBool(), true);
    QCOMPARE(first.value(QStringLiteral("next")).toString(), QStringLiteral("suspendue"));
    QVERIFY(first.value(QStringLiteral("nextAt")).isNull());
    const QJsonObject third = entries.at(1).toObject();
    QCOMPARE(third.value(QStringLiteral("number")).toInt(), 3);
    QCOMPARE(third.value(QStringLiteral("lastAt")).toString(), QStringLiteral("2026-12-01T14:30:05"));
    QCOMPARE(third.value(QStringLiteral("result")).toString(), QStringLiteral("Terminé (code 3)"));
    QVERIFY(QDateTime::fromString(third.value(QStringLiteral("nextAt")).toString(), Qt::ISODate) >
            QDateTime::currentDateTime());
    QCOMPARE(filesOf(dir), before);
}

void TestCommandLine::withoutAnInstance_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("run-now") << QStringList{QStringLiteral("--run-now"), QStringLiteral("1")};
    QTest::newRow("pause") << QStringList{QStringLiteral("--pause=alpha")};
    QTest::newRow("resume") << QStringList{QStringLiteral("--resume"), QStringLiteral("1")};
    QTest::newRow("stop") << QStringList{QStringLiteral("--stop"), QStringLiteral("1")};
    QTest::newRow("show") << QStringList{QStringLiteral("--show")};
}

void TestCommandLine::withoutAnInstance()
{
    QFETCH(QStringList, arguments);
    m_idle.write(QStringLiteral("cron-bat.dat"), "\r\n" + entryFarFromNow(QStringLiteral("/bin/true"), "nom=alpha"));
    const ProgramRun::Said said = ProgramRun::command(m_idle, arguments, locale("C.UTF-8"));
    QCOMPARE(said.code, 3);
    QCOMPARE(said.err, QByteArray("Pendulix: Pendulix is not running.\n"));
}

void TestCommandLine::actsOnTheRunningInstance()
{
    const auto command = [this](const QStringList &arguments) {
        return ProgramRun::command(m_dir, arguments, locale("C.UTF-8"));
    };
    ProgramRun::Said said = command({QStringLiteral("--run-now"), QStringLiteral("alpha")});
    QCOMPARE(said.code, 0);
    QCOMPARE(said.out, QByteArray("Entries run now: 1\n"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_job + QStringLiteral(".ran")), 20000);

    for (const QString &nothing : {QStringLiteral("9"), QStringLiteral("ghost"), QStringLiteral("0")}) {
        said = command({QStringLiteral("--pause"), nothing});
        QCOMPARE(said.code, 2);
        QVERIFY2(said.err.contains("No entry has the number or name \"" + nothing.toUtf8() + '"'), said.err.constData());
    }

    said = command({QStringLiteral("--pause"), QStringLiteral("1")});
    QCOMPARE(said.out, QByteArray("Entries paused: 1\n"));
    QVERIFY(m_dir.read(QStringLiteral("cron-bat.dat")).contains("pause"));
    said = command({QStringLiteral("--list"), QStringLiteral("--json")});
    QCOMPARE(QJsonDocument::fromJson(said.out).array().at(0).toObject().value(QStringLiteral("paused")).toBool(), true);
    said = command({QStringLiteral("--resume"), QStringLiteral("alpha")});
    QCOMPARE(said.out, QByteArray("Entries resumed: 1\n"));
    QVERIFY(!m_dir.read(QStringLiteral("cron-bat.dat")).contains("pause"));

    said = command({QStringLiteral("--show")});
    QCOMPARE(said.code, 0);
    QCOMPARE(m_program.state(), QProcess::Running);
}

void TestCommandLine::stopsARun()
{
    const auto command = [this](const QStringList &arguments) {
        return ProgramRun::command(m_dir, arguments, locale("C.UTF-8"));
    };
    QCOMPARE(command({QStringLiteral("--stop"), QStringLiteral("long")}).out, QByteArray("Runs stopped: 0\n"));
    QCOMPARE(command({QStringLiteral("--run-now"), QStringLiteral("2")}).code, 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_long + QStringLiteral(".ran")), 20000);
    // Asked until its keeper has taken it, once it is: a stop is no check to repeat.
    QByteArray stopped;
    for (QDeadlineTimer bound(20000); stopped != "Runs stopped: 1\n" && !bound.hasExpired(); QTest::qWait(100))
        stopped = command({QStringLiteral("--stop"), QStringLiteral("long")}).out;
    QCOMPARE(stopped, QByteArray("Runs stopped: 1\n"));
    QTRY_VERIFY_WITH_TIMEOUT(m_dir.read(ProgramRun::todaysJournal()).contains(" Arrêté à la demande;"), 20000);
    // Its end is written down before anything else is asked.
    QTRY_VERIFY_WITH_TIMEOUT(m_dir.read(QStringLiteral("cron-bat.runs")).contains("|Arrêté à la demande|"), 20000);
}

void TestCommandLine::hostileRequestsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("too long") << QByteArray(100000, 'x') << QByteArray();
    QTest::newRow("a long name") << "pause " + QByteArray(600, 'a') + '\n' << QByteArray();
    QTest::newRow("an unknown word") << QByteArray("delete 1\n") << QByteArray("refused\n");
    QTest::newRow("two requests") << QByteArray("pause 1\nresume 1\n") << QByteArray("refused\n");
    QTest::newRow("a control character") << QByteArray("pause \x01\n") << QByteArray("refused\n");
    QTest::newRow("no entry named") << QByteArray("pause \n") << QByteArray("refused\n");
    QTest::newRow("no line end") << QByteArray("pause 1") << QByteArray();
}

void TestCommandLine::hostileRequestsChangeNothing()
{
    QFETCH(QByteArray, said);
    QFETCH(QByteArray, answer);
    const QMap<QString, QByteArray> before = filesOf(m_dir);
    QCOMPARE(ask(m_dir, said), answer);
    QCOMPARE(filesOf(m_dir), before);
    QCOMPARE(m_program.state(), QProcess::Running);
}

void TestCommandLine::anotherUserIsNotHeard()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to be another user");
    const QMap<QString, QByteArray> before = filesOf(m_dir);
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.file(QStringLiteral("run")));
    other.setProcessEnvironment(env);
    // The executable of the idle folder, which another user may run.
    giveToUnprivilegedUser(m_idle.path());
    other.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                           QStringLiteral("--clear-groups"), m_idle.file(QStringLiteral("Pendulix")),
                                           QStringLiteral("--pause"), QStringLiteral("1")});
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 3);
    QCOMPARE(filesOf(m_dir), before);
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
