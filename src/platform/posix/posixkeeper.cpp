#include "posixkeeper.h"

#include "childreaper.h"
#include "posixspawn.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Posix {

namespace {

// Ends come in bursts (ten thousand runs of one minute): the folder is read
// once for all of those that ended within this time.
constexpr int kGatherMs = 50;
// How often runs an earlier instance started are looked at for a keeper
// that was lost: theirs is no child of ours, whose end we would hear of.
constexpr int kForeignCheckMs = 1000;

QByteArray endedPath(const QByteArray &runFile)
{
    const qsizetype slash = runFile.lastIndexOf('/');
    return runFile.left(slash + 1) + "ended/" + runFile.mid(slash + 1);
}

QByteArray requestPath(const QByteArray &runFile)
{
    return runFile.chopped(runFile.endsWith(".run") ? 4 : 0) + ".stop";
}

// The record and the end a run file holds.
KeptRunFile parse(const QByteArray &path, const QByteArray &bytes)
{
    KeptRunFile run{path, {}, false, {}};
    bool ended = false;
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.startsWith("end ")) {
            ended = true;
            run.end.at = line.mid(4).toLongLong();
        } else if (line.startsWith("result ") && ended) {
            const QList<QByteArray> words = line.split(' ');
            static const QHash<QByteArray, KeptEnd::Kind> kinds{
                {"exited", KeptEnd::Exited},     {"killed", KeptEnd::Killed},
                {"stopped", KeptEnd::Stopped},   {"requested", KeptEnd::Requested},
                {"refused", KeptEnd::Refused}};
            run.end.kind = kinds.value(words.value(1), KeptEnd::Lost);
            run.end.number = words.value(2).toInt();
        } else if (!ended && !line.isEmpty()) {
            run.record += line + '\n';
        }
    }
    if (!ended)
        run.end = {KeptEnd::Lost, -1, 0};
    return run;
}

QByteArray readSmallFile(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

// The keeper of a run still holds its file.
bool lockHeld(const QByteArray &runFile)
{
    const int fd = ::open(runFile.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

class RunWatch : public QObject
{
public:
    static RunWatch &instance()
    {
        // Lives as long as the process: a run may end at any time.
        static RunWatch *watch = new RunWatch;
        return *watch;
    }

    void add(const QByteArray &runFile, QObject *context, std::function<void(const KeptEnd &)> ended,
             bool own)
    {
        const QString endedFolder = QFile::decodeName(runFile.left(runFile.lastIndexOf('/')) + "/ended");
        if (!m_folders.directories().contains(endedFolder))
            m_folders.addPath(endedFolder);
        m_runs.insert(runFile, {context, std::move(ended), own});
        if (!own && !m_foreignCheck.isActive())
            m_foreignCheck.start();
        // It may have ended before it was watched.
        if (!m_gather.isActive())
            m_gather.start();
    }

    void keeperEnded(const QByteArray &runFile, int status)
    {
        if (!m_runs.contains(runFile))
            return;
        const QByteArray ended = endedPath(runFile);
        if (QFile::exists(QFile::decodeName(ended)))
            deliverEnded(runFile);
        else
            deliverLost(runFile, status);
    }

private:
    struct Watch
    {
        QPointer<QObject> context;
        std::function<void(const KeptEnd &)> ended;
        bool own = true;
    };

    RunWatch()
    {
        m_gather.setSingleShot(true);
        m_gather.setInterval(kGatherMs);
        connect(&m_gather, &QTimer::timeout, this, &RunWatch::gather);
        connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, [this] {
            if (!m_gather.isActive())
                m_gather.start();
        });
        m_foreignCheck.setInterval(kForeignCheckMs);
        connect(&m_foreignCheck, &QTimer::timeout, this, &RunWatch::checkForeign);
    }

    void gather()
    {
        QSet<QByteArray> ended;
        for (const QString &folder : m_folders.directories()) {
            const QByteArray base = QFile::encodeName(folder).chopped(5); // without "ended"
            for (const QString &name : QDir(folder).entryList({QStringLiteral("*.run")}, QDir::Files))
                ended.insert(base + QFile::encodeName(name));
        }
        for (const QByteArray &runFile : std::as_const(ended)) {
            if (m_runs.contains(runFile))
                deliverEnded(runFile);
        }
    }

    void checkForeign()
    {
        QList<QByteArray> foreign;
        for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
            if (!it->own)
                foreign.append(it.key());
        }
        if (foreign.isEmpty()) {
            m_foreignCheck.stop();
            return;
        }
        for (const QByteArray &runFile : std::as_const(foreign)) {
            if (QFile::exists(QFile::decodeName(endedPath(runFile))))
                deliverEnded(runFile);
            else if (!lockHeld(runFile))
                deliverLost(runFile, -1);
        }
    }

    // Whoever watched it is gone: what the run left stays for a later instance.
    bool unwatched(const QByteArray &runFile)
    {
        const auto watch = m_runs.constFind(runFile);
        if (watch == m_runs.cend() || watch->context)
            return false;
        m_runs.erase(watch);
        return true;
    }

    void deliverEnded(const QByteArray &runFile)
    {
        if (unwatched(runFile))
            return;
        const QByteArray ended = endedPath(runFile);
        const KeptRunFile run = parse(runFile, readSmallFile(ended));
        ::unlink(ended.constData());
        deliver(runFile, run.end);
    }

    void deliverLost(const QByteArray &runFile, int status)
    {
        if (unwatched(runFile))
            return;
        ::unlink(runFile.constData());
        ::unlink(requestPath(runFile).constData());
        deliver(runFile, {KeptEnd::Lost, status, 0});
    }

    void deliver(const QByteArray &runFile, const KeptEnd &end)
    {
        const Watch watch = m_runs.take(runFile);
        if (watch.context && watch.ended)
            watch.ended(end);
    }

    QHash<QByteArray, Watch> m_runs;
    QFileSystemWatcher m_folders;
    QTimer m_gather;
    QTimer m_foreignCheck;
};

bool isExecutable(const QByteArray &path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.constData(), X_OK) == 0;
}

// Formats registered with the kernel beyond its own: with any, a file we do
// not know may still be one it runs.
bool otherFormatsRegistered()
{
    const QStringList entries = QDir(QStringLiteral("/proc/sys/fs/binfmt_misc")).entryList(QDir::Files);
    return std::any_of(entries.cbegin(), entries.cend(), [](const QString &entry) {
        return entry != QLatin1String("register") && entry != QLatin1String("status");
    });
}

} // namespace

bool execWouldRefuse(const QByteArray &path)
{
    QByteArray file = path;
    // The kernel follows this many interpreters of interpreters.
    for (int depth = 0; depth < 4; ++depth) {
        QFile head(QFile::decodeName(file));
        if (!head.open(QIODevice::ReadOnly))
            return false; // the keeper tells what exec makes of it
        const QByteArray first = head.read(256);
        if (first.startsWith("\x7f" "ELF"))
            return false;
        if (!first.startsWith("#!"))
            return !otherFormatsRegistered();
        const QByteArray line = first.mid(2, first.indexOf('\n') < 0 ? -1 : first.indexOf('\n') - 2).trimmed();
        const QByteArray interpreter = line.left(line.indexOf(' ') < 0 ? line.size() : line.indexOf(' '))
                                           .split('\t')
                                           .value(0);
        if (interpreter.isEmpty() || !isExecutable(interpreter))
            return true;
        file = interpreter;
    }
    return false;
}

KeptStart startKept(const QByteArray &keeper, const QByteArray &path, const QList<QByteArray> &arguments,
               const ProgramLimits &limits, const QByteArray &runFile, const QByteArray &record,
               QObject *context, std::function<void(const KeptEnd &)> ended)
{
    const int fd = ::open(runFile.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return KeptStart::NoRunFile;
    // Locked before the keeper exists: a run file is never seen unlocked
    // while its run goes.
    if (::write(fd, record.constData(), size_t(record.size())) != record.size() ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        ::unlink(runFile.constData());
        return KeptStart::NoRunFile;
    }
    const QList<QByteArray> words = QList<QByteArray>{keeper,
                                                      runFile,
                                                      limits.output,
                                                      QByteArray::number(limits.cut.kept),
                                                      limits.cut.noteBefore,
                                                      limits.cut.noteAfter,
                                                      QByteArray::number(limits.stopAfterMs),
                                                      path} +
                                    arguments;
    // Its input empty, its output nowhere, the run file as its descriptor 3.
    const pid_t pid = spawn(keeper, words, false, QByteArray(), -1, -1, fd);
    ::close(fd);
    if (pid < 0) {
        ::unlink(runFile.constData());
        return KeptStart::Refused;
    }
    RunWatch &watch = RunWatch::instance();
    watch.add(runFile, context, std::move(ended), true);
    watchChild(pid, &watch, [runFile](int status) { RunWatch::instance().keeperEnded(runFile, status); });
    return KeptStart::Started;
}

QList<KeptRunFile> keptRuns(const QByteArray &folder)
{
    QList<KeptRunFile> runs;
    const QString base = QFile::decodeName(folder);
    for (const QString &name : QDir(base).entryList({QStringLiteral("*.run")}, QDir::Files)) {
        const QByteArray runFile = folder + '/' + QFile::encodeName(name);
        KeptRunFile run = parse(runFile, readSmallFile(runFile));
        run.running = lockHeld(runFile);
        runs.append(run);
    }
    for (const QString &name : QDir(base + QStringLiteral("/ended")).entryList({QStringLiteral("*.run")}, QDir::Files)) {
        const QByteArray runFile = folder + '/' + QFile::encodeName(name);
        runs.append(parse(runFile, readSmallFile(endedPath(runFile))));
    }
    return runs;
}

void watchRun(const QByteArray &runFile, QObject *context, std::function<void(const KeptEnd &)> ended)
{
    RunWatch::instance().add(runFile, context, std::move(ended), false);
}

void forgetRun(const QByteArray &runFile)
{
    ::unlink(runFile.constData());
    ::unlink(endedPath(runFile).constData());
    ::unlink(requestPath(runFile).constData());
}

bool requestStop(const QByteArray &runFile)
{
    // Only a keeper holds the other end: without one the open fails at once.
    const int fd = ::open(requestPath(runFile).constData(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool asked = ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode) && ::write(fd, "stop\n", 5) == 5;
    ::close(fd);
    return asked;
}

} // namespace Posix
