#include "journal/eventrecorder.h"
#include "files/outputfile.h"
#include "files/runtimeerror.h"
#include "platform/platform.h"
#include "platform/posix/childreaper.h"
#include "platform/posix/posixlaunch.h"
#include "runner/launcher.h"
#include "runner/urltask.h"
#include "recordlog.h"
#include "scriptedserver.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Harness
{
    explicit Harness(const QString &programDirectory)
        : events(programDirectory, [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 30, 37)); },
                 testTimeText),
          record(&events),
          launcher(events, {.open =
                                [this](const QString &path, const QString &parameters,
                                       const Platform::StartOptions &options, Launcher::Report report) {
                                    Platform::startTarget(Platform::nativePath(path),
                                                          Platform::encodeText(parameters),
                                                          &context, std::move(report), options);
                                },
                            .http =
                                [this](const QString &url, const QString &subject,
                                       Launcher::Outcome outcome) {
                                    if (httpLimits)
                                        http(events, url, &context, *httpLimits, {}, subject, outcome);
                                    else
                                        record.lines << "http " + subject;
                                }}),
          log(record.lines)
    {
    }
    QObject context;
    EventRecorder events;
    RecordLog record;
    Launcher launcher;
    QStringList &log;
    std::optional<HttpClient::Limits> httpLimits;
};

void writeExecutable(const QString &path, const QByteArray &script)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(script);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A script that writes its lines into `marker` beside it, in one step.
QByteArray markerScript(const QByteArray &body)
{
    return "#!/bin/sh\nout=\"$(dirname \"$0\")/marker\"\n{\n" + body + "\n} > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n";
}

// The desktop's opener, replaced by one first on the PATH for one test.
class FakeOpener
{
public:
    explicit FakeOpener(const QByteArray &script) : m_path(qgetenv("PATH"))
    {
        writeExecutable(m_bin.file(QStringLiteral("xdg-open")), script);
        qputenv("PATH", QFile::encodeName(QDir::toNativeSeparators(m_bin.path())) + ":" + m_path);
    }
    ~FakeOpener() { qputenv("PATH", m_path); }
    QString file(const QString &name) const { return m_bin.file(name); }
    QByteArray read(const QString &name) const { return m_bin.read(name); }

private:
    TestProgramDir m_bin;
    QByteArray m_path;
};

} // namespace

class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void programGetsPlainArguments();
    void startedProgramIsOnItsOwn();
    void endOfAProgram();
    void endRecordedWhenTheStartCouldNotBe();
    void runningChildrenHoldNoDescriptors();
    void refusedStarts();
    void forkRefusedUnderAProcessLimit();
    void documentGoesToTheOpener();
    void documentNobodyOpens();
    void missingTargetsAndFolders();
    void webAddressesGoToTheUrlTask();
    void silentWebAddressesHoldNoProgram();
    void namesInAnotherCodePageStart();
    void timeLimitEndsTheWholeSession();
    void outputKeptInOrderAndCut();
};

void TestLauncher::programGetsPlainArguments()
{
    TestProgramDir dir;
    const QString script = dir.file(QStringLiteral("job.sh"));
    writeExecutable(script, markerScript("pwd\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done"));
    Harness h(dir.path());
    const QString parameters = QStringLiteral("a;b \"$(touch pwned)\" | `touch pwned2` c");
    h.launcher.Exe(script, parameters);
    // The start is recorded within the call: nothing waits for the program.
    QCOMPARE(h.log, QStringList{"row 14:30:37|" + script + " " + parameters});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("marker"))), 10000);
    QCOMPARE(dir.read(QStringLiteral("marker")),
             QDir::currentPath().toUtf8() + "\na;b\n$(touch pwned)\n|\n`touch\npwned2`\nc\n");
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("pwned2"))));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             ("14:30:37;" + script + " " + parameters + "\r\n").toUtf8());
}

void TestLauncher::startedProgramIsOnItsOwn()
{
    TestProgramDir dir;
    // A descriptor of ours without close-on-exec, as a lock or a socket might be.
    const QByteArray canary = QFile::encodeName(dir.file(QStringLiteral("canary")));
    const int leaked = ::open(canary.constData(), O_CREAT | O_RDWR, 0600);
    QVERIFY(leaked > 2);
    ::signal(SIGPIPE, SIG_IGN);
    const QString script = dir.file(QStringLiteral("job.sh"));
    writeExecutable(script, markerScript("echo \"$$\"\ncut -d' ' -f6 /proc/$$/stat\n"
                                         "grep '^SigIgn' /proc/$$/status\nls -l /proc/$$/fd"));
    Harness h(dir.path());
    h.launcher.ExecuteWait(script);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("marker"))), 10000);
    ::signal(SIGPIPE, SIG_DFL);
    ::close(leaked);
    const QByteArray marker = dir.read(QStringLiteral("marker"));
    const QList<QByteArray> lines = marker.split('\n');
    QVERIFY(lines.size() >= 4);
    const QByteArray pid = lines.at(0);
    // A session of its own: it outlives us and our terminal.
    QCOMPARE(lines.at(1), pid);
    // Nothing we ignore (SIGPIPE here, SIGXFSZ in the program) is ignored by
    // what we start; the C library's own real-time signals are its business.
    QVERIFY(lines.at(2).startsWith("SigIgn:\t"));
    QCOMPARE(lines.at(2).mid(8).toULongLong(nullptr, 16) & 0x7fffffffu, 0u);
    // None of our descriptors.
    QVERIFY2(!marker.contains("canary"), marker.constData());
    // Reaped once it ends: no zombie is left behind.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)), 10000);
}

void TestLauncher::endOfAProgram()
{
    TestProgramDir dir;
    const QString failing = dir.file(QStringLiteral("failing.sh"));
    const QString killed = dir.file(QStringLiteral("killed.sh"));
    const QString fine = dir.file(QStringLiteral("fine.sh"));
    writeExecutable(failing, "#!/bin/sh\nexit 3\n");
    writeExecutable(killed, "#!/bin/sh\nkill -TERM $$\n");
    writeExecutable(fine, "#!/bin/sh\ntouch \"$0.done\"\nexit 0\n");
    Harness h(dir.path());
    h.launcher.Exe(failing, QStringLiteral("-x"));
    h.launcher.ExecuteWait(killed);
    h.launcher.ExecuteWait(fine);
    QTRY_COMPARE_WITH_TIMEOUT(h.log.size(), 7, 10000);
    QTRY_VERIFY(QFile::exists(fine + ".done"));
    QTest::qWait(300);
    // The starts first, each within its call; the ends as they come.
    QCOMPARE(h.log.mid(0, 3), (QStringList{"row 14:30:37|" + failing + " -x", "row 14:30:37|" + killed,
                                           "row 14:30:37|" + fine}));
    QStringList ends = h.log.mid(3);
    QVERIFY(ends.contains("row 14:30:37 Terminé (code 3)|" + failing + " -x"));
    QVERIFY(ends.contains("row 14:30:37 Terminé (signal 15)|" + killed));
    QCOMPARE(ends.count(QStringLiteral("signal")), 2);
    const QByteArray journal = dir.read(QStringLiteral("20261208.log"));
    QVERIFY(journal.contains(("14:30:37 Terminé (code 3);" + failing + " -x\r\n").toUtf8()));
    QVERIFY(journal.contains(("14:30:37 Terminé (signal 15);" + killed + "\r\n").toUtf8()));
    // A healthy end writes nothing.
    QCOMPARE(journal.count(fine.toUtf8()), 1);
}

void TestLauncher::endRecordedWhenTheStartCouldNotBe()
{
    TestProgramDir dir;
    const QString failing = dir.file(QStringLiteral("failing.sh"));
    writeExecutable(failing, "#!/bin/sh\necho $$ > \"$0.pid\"\nexit 3\n");
    // A folder in the place of the day's journal: the start's line fails.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("20261208.log")));
    Harness h(dir.path());
    try {
        h.launcher.ExecuteWait(failing);
        QFAIL("the start's journal line cannot be written");
    } catch (const EInOutError &e) {
        QCOMPARE(e.message(), QStringLiteral("Accès au fichier refusé"));
    }
    // The child is reaped all the same, and its end has its row.
    QTRY_VERIFY_WITH_TIMEOUT(h.log.contains("row 14:30:37 Terminé (code 3)|" + failing), 10000);
    const QByteArray pid = dir.read(QStringLiteral("failing.sh.pid")).trimmed();
    QVERIFY(!pid.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)), 10000);
    QCOMPARE(Posix::watchedChildren(), 0);
}

void TestLauncher::runningChildrenHoldNoDescriptors()
{
    TestProgramDir dir;
    const QString holding = dir.file(QStringLiteral("holding.sh"));
    const QByteArray gate = QFile::encodeName(holding + QStringLiteral(".gate"));
    QCOMPARE(::mkfifo(gate.constData(), 0600), 0);
    // Each waits, without using the processor, until the gate opens.
    writeExecutable(holding, "#!/bin/sh\nread x < \"$0.gate\"\nexit 4\n");
    Harness h(dir.path());
    const auto descriptors = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    h.launcher.ExecuteWait(holding); // what the first start opens once
    const qsizetype before = descriptors();
    constexpr int kChildren = 300;
    for (int i = 1; i < kChildren; ++i)
        h.launcher.ExecuteWait(holding);
    QCOMPARE(Posix::watchedChildren(), kChildren);
    QVERIFY2(descriptors() - before < 5, qPrintable(QString::number(descriptors() - before)));
    // Opened for writing again and again, until every child has read its end.
    QTRY_COMPARE_WITH_TIMEOUT((::close(::open(gate.constData(), O_WRONLY | O_NONBLOCK)),
                               h.log.count("row 14:30:37 Terminé (code 4)|" + holding)),
                              qsizetype(kChildren), 30000);
    QCOMPARE(Posix::watchedChildren(), 0);
}

void TestLauncher::refusedStarts()
{
    TestProgramDir dir;
    const QString noInterpreter = dir.file(QStringLiteral("no-interpreter.sh"));
    const QString noShebang = dir.file(QStringLiteral("no-shebang.sh"));
    writeExecutable(noInterpreter, "#!/nonexistent/bin/sh\ntouch \"$0.ran\"\n");
    writeExecutable(noShebang, "touch \"$0.ran\"\n");
    Harness h(dir.path());
    h.launcher.Exe(noInterpreter, QStringLiteral("now"));
    h.launcher.ExecuteWait(noShebang);
    const QStringList expected{"row 14:30:37 Lancement impossible|" + noInterpreter + " now", "signal",
                               "row 14:30:37 Lancement impossible|" + noShebang, "signal"};
    QCOMPARE(h.log, expected);
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             ("14:30:37 Lancement impossible;" + noInterpreter + " now\r\n14:30:37 Lancement impossible;" +
              noShebang + "\r\n")
                 .toUtf8());
    QTest::qWait(200);
    QCOMPARE(h.log, expected);
    QVERIFY(!QFile::exists(noInterpreter + ".ran"));
    QVERIFY(!QFile::exists(noShebang + ".ran"));
}

void TestLauncher::forkRefusedUnderAProcessLimit()
{
    TestProgramDir dir;
    const QString job = dir.file(QStringLiteral("job.sh"));
    writeExecutable(job, "#!/bin/sh\ntouch \"$0.ran\"\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    QFile::setPermissions(job, QFile::permissions(job) | QFileDevice::ReadOther | QFileDevice::ExeOther);
    // In a child of our own, as a user the limit binds (root's forks pass it).
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0) {
            const passwd *nobody = ::getpwnam("nobody");
            if (!nobody || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(2);
        }
        const rlimit none{0, 0};
        ::setrlimit(RLIMIT_NPROC, &none);
        int kind = -1;
        Platform::startTarget(QFile::encodeName(job), QByteArray(), nullptr,
                              [&](const Platform::TargetEvent &event) { kind = event.kind; });
        ::_exit(kind == Platform::TargetEvent::Refused ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QTest::qWait(200);
    QVERIFY(!QFile::exists(job + ".ran"));
}

void TestLauncher::documentGoesToTheOpener()
{
    FakeOpener opener("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/opened\"\n");
    TestProgramDir dir;
    const QString report = dir.file(QStringLiteral("report.txt"));
    dir.write(QStringLiteral("report.txt"), "not a program");
    Harness h(dir.path());
    h.launcher.ExecuteWait(report);
    // Recorded once the opener has said it took the file.
    QTRY_COMPARE_WITH_TIMEOUT(h.log, QStringList{"row 14:30:37|" + report}, 10000);
    QCOMPARE(opener.read(QStringLiteral("opened")), (report + "\n").toUtf8());
}

void TestLauncher::documentNobodyOpens()
{
    TestProgramDir dir;
    const QString report = dir.file(QStringLiteral("report.odd"));
    dir.write(QStringLiteral("report.odd"), "data");
    {
        // xdg-open's own code when no program handles the type.
        FakeOpener opener("#!/bin/sh\nexit 3\n");
        Harness h(dir.path());
        h.launcher.ExecuteWait(report);
        QTRY_COMPARE_WITH_TIMEOUT(h.log.size(), 2, 10000);
        QCOMPARE(h.log, (QStringList{"row 14:30:37 Lancement impossible|" + report, "signal"}));
    }
    {
        // No opener at all.
        const QByteArray path = qgetenv("PATH");
        TestProgramDir empty;
        qputenv("PATH", QFile::encodeName(empty.path()));
        Harness h(dir.path());
        h.launcher.ExecuteWait(report);
        qputenv("PATH", path);
        QCOMPARE(h.log, (QStringList{"row 14:30:37 Lancement impossible|" + report, "signal"}));
    }
    {
        // An opener that stays with what it started has opened it.
        FakeOpener opener("#!/bin/sh\nsleep 4\nexit 4\n");
        Harness h(dir.path());
        h.launcher.ExecuteWait(report);
        QTRY_COMPARE_WITH_TIMEOUT(h.log, QStringList{"row 14:30:37|" + report}, 10000);
    }
}

void TestLauncher::missingTargetsAndFolders()
{
    TestProgramDir dir;
    Harness h(dir.path());
    const QString missing = dir.file(QStringLiteral("gone.sh"));
    h.launcher.Exe(missing, QString());
    h.launcher.ExecuteWait(dir.path());
    h.launcher.ExecuteWait(QStringLiteral("HTTP://host/x.php"));
    // An entry's name follows its target.
    h.launcher.ExecuteWait(missing, QStringLiteral("Sauvegarde mensuelle"));
    QCOMPARE(h.log, (QStringList{"row 14:30:37 Fichier inexistant|" + missing + " ", "signal",
                                 "row 14:30:37 Fichier inexistant|" + dir.path(), "signal",
                                 "row 14:30:37 Fichier inexistant|HTTP://host/x.php", "signal",
                                 "row 14:30:37 Fichier inexistant|" + missing + " (Sauvegarde mensuelle)",
                                 "signal"}));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")),
             ("14:30:37 Fichier inexistant;" + missing + " \r\n" +
              "14:30:37 Fichier inexistant;" + dir.path() + "\r\n" +
              "14:30:37 Fichier inexistant;HTTP://host/x.php\r\n" +
              "14:30:37 Fichier inexistant;" + missing + " (Sauvegarde mensuelle)\r\n")
                 .toUtf8());
}

void TestLauncher::webAddressesGoToTheUrlTask()
{
    TestProgramDir dir;
    Harness h(dir.path());
    h.launcher.ExecuteWait(QStringLiteral("see http://host/a.php"));
    h.launcher.ExecuteWait(QStringLiteral("https://host/b.php"), QStringLiteral("Relevé"));
    QCOMPARE(h.log, (QStringList{"http see http://host/a.php", "http https://host/b.php (Relevé)"}));
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("20261208.log"))));
}

void TestLauncher::silentWebAddressesHoldNoProgram()
{
    QList<ScriptedServer *> servers;
    for (int i = 0; i < 25; ++i)
        servers << new ScriptedServer({});
    TestProgramDir dir;
    const QString script = dir.file(QStringLiteral("job.sh"));
    writeExecutable(script, markerScript("echo ran"));
    Harness h(dir.path());
    HttpClient::Limits limits;
    limits.readMs = 2000;
    h.httpLimits = limits;
    for (ScriptedServer *server : servers)
        h.launcher.ExecuteWait(QStringLiteral("http://127.0.0.1:%1/silent").arg(server->port()));
    h.launcher.ExecuteWait(script);
    // The program started within the same pass, before any request ended.
    QCOMPARE(h.log, QStringList{"row 14:30:37|" + script});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("marker"))), 10000);
    QCOMPARE(h.log.filter(QStringLiteral("silent")).size(), 0);
    // Then each request ends on its own, with its own row.
    QTRY_COMPARE_WITH_TIMEOUT(h.log.filter(QStringLiteral("Délai de lecture|")).size(), 25, 20000);
    qDeleteAll(servers);
}

void TestLauncher::namesInAnotherCodePageStart()
{
    TestProgramDir dir;
    // "café.sh" and its parameter "été" in Latin-1, on a UTF-8 system, as the
    // schedule file holds them.
    const QByteArray name = QFile::encodeName(dir.path()) + "caf\xe9.sh";
    {
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0700);
        QVERIFY(fd >= 0);
        const QByteArray script = markerScript("printf '%s' \"$1\"");
        QCOMPARE(::write(fd, script.constData(), size_t(script.size())), ssize_t(script.size()));
        ::close(fd);
    }
    const QString line = Platform::decodeText("1|0|0|0|0|0|0|0|0|" + name + " \xe9t\xe9|");
    const QString target = line.section(QLatin1Char('|'), 9, 9);
    const qsizetype blank = target.lastIndexOf(QLatin1Char(' '));
    Harness h(dir.path());
    h.launcher.Exe(target.left(blank), target.mid(blank + 1));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.file(QStringLiteral("marker"))), 10000);
    QCOMPARE(dir.read(QStringLiteral("marker")), QByteArray("\xe9t\xe9"));
    // The journal line holds the bytes of the file, not a re-encoding.
    QCOMPARE(dir.read(QStringLiteral("20261208.log")), "14:30:37;" + name + " \xe9t\xe9\r\n");
}

void TestLauncher::timeLimitEndsTheWholeSession()
{
    TestProgramDir dir;
    // A leader deaf to SIGTERM, and a grandchild that is not.
    const QString hanging = dir.file(QStringLiteral("hanging.sh"));
    writeExecutable(hanging, "#!/bin/sh\nsleep 300 &\nchild=$!\ntrap '' TERM\necho $child > \"$0.child\"\n"
                             "while :; do sleep 1; done\n");
    QObject context;
    std::optional<Posix::ProgramEnd> end;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(Posix::startProgram(QFile::encodeName(hanging), {}, &context,
                                [&end](const Posix::ProgramEnd &e) { end = e; }, {2000, {}}));
    QTRY_VERIFY(QFile::exists(hanging + ".child"));
    const pid_t grandchild = dir.read(QStringLiteral("hanging.sh.child")).trimmed().toInt();
    QVERIFY(grandchild > 0);
    // The grandchild goes with SIGTERM; the leader only with SIGKILL, after the grace.
    QTRY_VERIFY_WITH_TIMEOUT(::kill(grandchild, 0) != 0, 5000);
    QVERIFY(!end);
    QTRY_VERIFY_WITH_TIMEOUT(end.has_value(), 20000);
    // Neither the limit nor the grace ends early, as coarse timers would.
    QVERIFY2(clock.elapsed() >= 12000, QByteArray::number(clock.elapsed()));
    QVERIFY(end->stopped);
    QVERIFY(end->killed);
    QCOMPARE(end->number, int(SIGKILL));
    // Through the launcher, the row says why it ended.
    QCOMPARE(Launcher::resultOf({Platform::TargetEvent::Stopped, 1}), QStringLiteral("Arrêté après 1 min"));
}

void TestLauncher::outputKeptInOrderAndCut()
{
    TestProgramDir dir;
    const QString talking = dir.file(QStringLiteral("talking.sh"));
    const QString orphan = dir.file(QStringLiteral("orphan.sh"));
    const QString silent = dir.file(QStringLiteral("silent.sh"));
    // Standard input is empty: "read" ends at once. Once it has written, it
    // goes on running until the test lets it go.
    const QByteArray script = "#!/bin/sh\necho out\necho err >&2\nread x\necho out again\n"
                              "head -c 5242880 /dev/zero | tr '\\0' x\ntouch \"$0.written\"\n"
                              "for i in $(seq 300); do [ -e \"$0.go\" ] && exit 0; sleep 0.1; done\nexit 9\n";
    writeExecutable(talking, script);
    writeExecutable(orphan, script);
    writeExecutable(silent, "#!/bin/sh\nexit 0\n");
    const QByteArray note = "\n[" + QByteArray::number(18 + 5242880 - OutputFile::kKeptBytes) +
                            " octets de sortie non conservés]\n";
    const auto cut = [&dir, &note](const QString &name) {
        const QByteArray output = dir.read(name);
        return output.startsWith("out\nerr\nout again\nxxx") && output.endsWith(note) &&
               output.indexOf('\n', 20) == qsizetype(OutputFile::kKeptBytes);
    };
    std::optional<Harness> h(std::in_place, dir.path());
    QStringList results;
    const Launcher::Outcome outcome = [&results](const QString &result, bool) { results << result; };
    const QString kept = dir.file(QStringLiteral("talking.txt"));
    const QString none = dir.file(QStringLiteral("silent.txt"));
    h->launcher.ExecuteWait(talking, QString(), outcome, {0, kept});
    h->launcher.ExecuteWait(silent, QString(), {}, {0, none});
    // All it wrote was read, and only what is kept written.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(talking + ".written"), 20000);
    QCOMPARE(QFileInfo(kept).size(), OutputFile::kKeptBytes);
    QCOMPARE(results, QStringList{"En cours"});
    dir.write(QStringLiteral("talking.sh.go"), QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 20000);
    QCOMPARE(results, (QStringList{"En cours", "Terminé (code 0)"}));
    QVERIFY(cut(QStringLiteral("talking.txt")));
    // A run that writes nothing leaves nothing.
    QTRY_VERIFY(!QFile::exists(none));

    // The file stays bounded, and is finished, when we are gone before the program.
    h->launcher.ExecuteWait(orphan, QString(), {}, {0, dir.file(QStringLiteral("orphan.txt"))});
    h.reset();
    dir.write(QStringLiteral("orphan.sh.go"), QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(cut(QStringLiteral("orphan.txt")), 20000);
}

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
