#include "files/runtimeerror.h"
#include "files/textfile.h"
#include "platform/platform.h"
#include "testprogramdir.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The runtime text a file operation raised, or an empty text.
QString failureOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const EInOutError &e) {
        return e.message();
    }
    return QString();
}

// Bytes of every value, few of them valid UTF-8: what a file written in
// another code page, or damaged, may hold.
QByteArray oddBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i) {
        const char c = char((i * 131 + 7) & 0xff);
        if (c != '\r' && c != '\n')
            bytes += c;
        if (i % 97 == 0)
            bytes += "\r\n";
    }
    return bytes + "\r\n";
}

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void bytesComeBackAsTheyWere_data();
    void bytesComeBackAsTheyWere();
    void onlyRegularFilesAreOpened_data();
    void onlyRegularFilesAreOpened();
    void unreadableFileIsAccessDenied();
    void appendCutShortLeavesNoTornLine();
    void replaceWritesThroughLinks();
    void staleTemporariesAreRemoved();
    void killedWriteBacksNeverTearTheSchedule();
};

void TestTextFile::bytesComeBackAsTheyWere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("latin-1 name") << QByteArray("\r\n1|0|0|0|0|0|0|0|0|/srv/caf\xe9.sh|\r\n");
    QTest::newRow("utf-8 name") << QByteArray("\r\n1|0|0|0|0|0|0|0|0|/srv/caf\xc3\xa9.sh|\r\n");
    QTest::newRow("overlong and surrogate forms")
        << QByteArray("\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80|\xe2\x82|\r\n");
    QTest::newRow("cp1252 quotes") << QByteArray("note=\x93\x64\xe9j\xe0 vu\x94\r\n");
    QTest::newRow("every byte value") << oddBytes();
}

void TestTextFile::bytesComeBackAsTheyWere()
{
    QFETCH(QByteArray, bytes);
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("cron-bat.dat"));
    dir.write(QStringLiteral("cron-bat.dat"), bytes);
    const QStringList lines = TextFile::readLines(path);
    TextFile::replaceAll(path, lines);
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), bytes);
    // Appending and rewriting one of those lines keeps its bytes too.
    TextFile::rewriteLine(path, lines.first());
    for (qsizetype i = 1; i < lines.size(); ++i)
        TextFile::appendLine(path, lines.at(i));
    QCOMPARE(dir.read(QStringLiteral("cron-bat.dat")), bytes);
    // A line the user typed is written in the local encoding.
    TextFile::appendLine(path, QStringLiteral("déjà"));
    QVERIFY(dir.read(QStringLiteral("cron-bat.dat")).endsWith(Platform::encodeText("déjà") + "\r\n"));
}

void TestTextFile::onlyRegularFilesAreOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("folder") << "folder";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("socket") << "socket";
}

void TestTextFile::onlyRegularFilesAreOpened()
{
    QFETCH(QString, kind);
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("cron-bat.dat"));
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("cron-bat.dat")));
    else if (kind == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else
        QCOMPARE(::mknod(native.constData(), S_IFSOCK | 0600, 0), 0);
    const auto openDescriptors = [] {
        return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
    };
    const qsizetype descriptors = openDescriptors();
    // Each of these would hang on the pipe, or read /dev/zero until memory runs out.
    const QString denied = QStringLiteral("Accès au fichier refusé");
    QCOMPARE(failureOf([&] { TextFile::readLines(path); }), denied);
    QCOMPARE(failureOf([&] { TextFile::appendLine(path, QStringLiteral("x")); }), denied);
    QCOMPARE(failureOf([&] { TextFile::rewriteLine(path, QStringLiteral("x")); }), denied);
    QCOMPARE(failureOf([&] { TextFile::readAll(path); }), denied);
    // Written back through a link, the rename would replace the device
    // itself: tried on what the test owns only, never on /dev/zero.
    if (kind != QLatin1String("zero")) {
        const QString link = dir.file(QStringLiteral("serie.ini"));
        QVERIFY(QFile::link(path, link));
        const QFileInfo before(path);
        for (const QString &target : {path, link})
            QCOMPARE(failureOf([&] { TextFile::replaceAll(target, {QStringLiteral("x")}); }), denied);
        QCOMPARE(QFileInfo(path).isFile(), false);
        QCOMPARE(QFileInfo(path).exists(), true);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    }
    // Nothing left open on the way out.
    QCOMPARE(openDescriptors(), descriptors);
}

void TestTextFile::unreadableFileIsAccessDenied()
{
    TestProgramDir dir;
    dir.write(QStringLiteral("serie.ini"), "[Form1]\r\n");
    giveToUnprivilegedUser(dir.path());
    QFile::setPermissions(dir.file(QStringLiteral("serie.ini")), QFileDevice::WriteOwner);
    QVERIFY(asUnprivilegedUser([&] {
        return failureOf([&] { TextFile::readAll(dir.file(QStringLiteral("serie.ini"))); }) ==
               QStringLiteral("Accès au fichier refusé");
    }));
}

void TestTextFile::appendCutShortLeavesNoTornLine()
{
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("20261208.log"));
    const QByteArray before("14:30:00;/srv/a.sh\r\n");
    dir.write(QStringLiteral("20261208.log"), before);

    // A disk that takes 4 KiB more, then no more; the program ignores SIGXFSZ.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const QString failure =
        failureOf([&] { TextFile::appendLine(path, QString(10000, QLatin1Char('x'))); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(failure, QStringLiteral("Disque plein"));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")), before);
    // Space is back: the next event is a line of its own.
    TextFile::appendLine(path, QStringLiteral("14:31:00;/srv/b.sh"));
    QCOMPARE(dir.read(QStringLiteral("20261208.log")), before + "14:31:00;/srv/b.sh\r\n");
}

void TestTextFile::replaceWritesThroughLinks()
{
    TestProgramDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("kept")));
    const QString real = dir.file(QStringLiteral("kept/schedule.dat"));
    const QString link = dir.file(QStringLiteral("cron-bat.dat"));
    dir.write(QStringLiteral("kept/schedule.dat"), "\r\nold|\r\n");
    QVERIFY(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup));
    // A relative link, as a user makes it.
    QCOMPARE(::symlink("kept/schedule.dat", QFile::encodeName(link).constData()), 0);

    TextFile::replaceAll(link, {QString(), QStringLiteral("new|")});
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(dir.read(QStringLiteral("kept/schedule.dat")), QByteArray("\r\nnew|\r\n"));
    QCOMPARE(QFile::permissions(real) & 0x7077,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    // The temporary lived beside the target and is gone.
    QCOMPARE(QDir(dir.file(QStringLiteral("kept"))).entryList(QDir::Files),
             QStringList{"schedule.dat"});
}

void TestTextFile::staleTemporariesAreRemoved()
{
    TestProgramDir dir;
    const QStringList ours{"cron-bat.dat.0badf00d.tmp", "cron-bat.dat.12345678.tmp"};
    const QStringList others{"cron-bat.dat",      "cron-bat.dat.keep.tmp", "cron-bat.dat.123.tmp",
                             "serie.ini.0badf00d.tmp", "cron-bat.dat.0BADF00D.tmp",
                             "xcron-bat.dat.0badf00d.tmp"};
    for (const QString &name : ours + others)
        dir.write(name, "x");
    TextFile::removeStaleTemporaries(dir.file(QStringLiteral("cron-bat.dat")));
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    QStringList expected = others;
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

void TestTextFile::killedWriteBacksNeverTearTheSchedule()
{
    TestProgramDir dir;
    const QString path = dir.file(QStringLiteral("cron-bat.dat"));
    // Two schedules of some size, written back in turn by a process that is
    // killed at a moment of chance, again and again.
    QStringList first{QString()}, second{QString()};
    for (int i = 0; i < 2000; ++i) {
        first << QStringLiteral("%1|0|0|0|0|0|0|0|0|/srv/first%1.sh|").arg(i % 59 + 1);
        second << QStringLiteral("%1|1|0|1|0|0|0|0|0|/srv/second%1.sh -q|").arg(i % 59);
    }
    const auto bytesOf = [](const QStringList &lines) { return (lines.join(QStringLiteral("\r\n")) + "\r\n").toUtf8(); };
    TextFile::replaceAll(path, first);
    for (int round = 0; round < 40; ++round) {
        const pid_t writer = ::fork();
        if (writer == 0) {
            // Never back into the test: its clean-up would remove the folder.
            try {
                for (int n = 0;; ++n)
                    TextFile::replaceAll(path, n % 2 ? first : second);
            } catch (const EInOutError &e) {
                std::fprintf(stderr, "writer: %s\n", qPrintable(e.message()));
                ::_exit(1);
            }
        }
        QTest::qSleep(1 + round % 7);
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        // Killed while writing, never failed.
        QVERIFY(WIFSIGNALED(status));
        const QByteArray now = dir.read(QStringLiteral("cron-bat.dat"));
        QVERIFY2(now == bytesOf(first) || now == bytesOf(second),
                 qPrintable(QStringLiteral("round %1: %2 bytes, exists %3, files %4")
                                .arg(round)
                                .arg(now.size())
                                .arg(QFileInfo::exists(path))
                                .arg(QDir(dir.path()).entryList(QDir::Files).join(QLatin1Char(' ')))));
    }
    // What the kills left behind goes at the next start.
    TextFile::removeStaleTemporaries(path);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"cron-bat.dat"});
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
