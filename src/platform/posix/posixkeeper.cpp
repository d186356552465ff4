#include "posixkeeper.h"

#include "childreaper.h"
#include "posixspawn.h"

#include "platform/keptrunwatch.h"

#include <QDir>
#include <QFile>
#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Posix {

namespace {

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
                    const ProgramLimits &limits, const QString &runFile, const QByteArray &record,
                    QObject *context, std::function<void(const Platform::TargetEvent &)> report)
{
    const QByteArray runPath = QFile::encodeName(runFile);
    const int fd = ::open(runPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return KeptStart::NoRunFile;
    // Locked before the keeper exists: a run file is never seen unlocked
    // while its run goes.
    if (::write(fd, record.constData(), size_t(record.size())) != record.size() ||
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        ::unlink(runPath.constData());
        return KeptStart::NoRunFile;
    }
    const QList<QByteArray> words = QList<QByteArray>{keeper,
                                                      runPath,
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
        ::unlink(runPath.constData());
        return KeptStart::Refused;
    }
    Platform::KeptRunWatch::watchOwn(runFile, int(limits.stopAfterMs / 60000), context, std::move(report));
    // Reaped whoever watches: the run's end may still be in the folder for a later instance.
    watchChild(pid, QCoreApplication::instance(), [runFile](int status) {
        Platform::KeptRunWatch::keeperEnded(runFile, WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    });
    return KeptStart::Started;
}

bool runFileLocked(const QString &runFile)
{
    const int fd = ::open(QFile::encodeName(runFile).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool requestStop(const QString &runFile)
{
    // Only a keeper holds the other end: without one the open fails at once.
    const int fd = ::open(QFile::encodeName(Platform::KeptRunWatch::requestPath(runFile)).constData(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool asked = ::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode) && ::write(fd, "stop\n", 5) == 5;
    ::close(fd);
    return asked;
}

} // namespace Posix
