#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QUrl>

#include <alsa/asoundlib.h>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <langinfo.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace Platform {

QString programDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

bool acquireSingleInstance(const QString &name)
{
    // flock() rather than a file that merely exists: the kernel drops the lock
    // when the process dies, so a crashed instance never blocks the next start.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString fileName = name + QStringLiteral(".lock");
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        dir = QDir::tempPath();
        fileName = name + QStringLiteral("-%1.lock").arg(getuid());
    }
    const QByteArray path = QFile::encodeName(dir + QLatin1Char('/') + fileName);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true; // no place for a marker: better two instances than none
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true; // fd stays open, and locked, until the process ends
}

void openWithAssociatedApplication(const QString &path)
{
    QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

void openTarget(const QString &path, const QString &parameters)
{
    const QFileInfo info(path);
    // Programs are started directly, never through a shell, so that ";", "|"
    // or "$()" in a target stay plain text.
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), QProcess::splitCommand(parameters));
        return;
    }
    QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

QString targetSeparators()
{
    return QStringLiteral("/");
}

QString allFilesPattern()
{
    return QStringLiteral("*");
}

QString fixedExecutableName()
{
    return QStringLiteral("Pendulix");
}

void trimWorkingSet(const QString &executableName)
{
    // Only our own process: another user's program is none of our business,
    // and Linux offers no way to trim another process's memory anyway.
    if (QFileInfo(QCoreApplication::applicationFilePath()).fileName() != executableName)
        return;
    malloc_trim(0);
#ifdef MADV_PAGEOUT
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = maps.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields.at(1).startsWith("rw"))
            continue;
        // Vsyscall and the like refuse advice; the kernel says so and we go on.
        if (fields.size() >= 6 && fields.at(5).startsWith('['))
            if (fields.at(5) != "[heap]" && fields.at(5) != "[stack]")
                continue;
        const QList<QByteArray> range = fields.at(0).split('-');
        bool okStart = false, okEnd = false;
        const quintptr start = range.value(0).toULongLong(&okStart, 16);
        const quintptr end = range.value(1).toULongLong(&okEnd, 16);
        if (okStart && okEnd && end > start)
            ::madvise(reinterpret_cast<void *>(start), end - start, MADV_PAGEOUT);
    }
#endif
}

namespace {

void ignoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

snd_pcm_t *openDefaultPcm(unsigned rate)
{
    snd_pcm_t *pcm = nullptr;
    // Silence ALSA's own complaints on machines without a sound card.
    snd_lib_error_set_handler(ignoreAlsaError);
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return nullptr;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, rate, 1,
                           100000) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return pcm;
}

} // namespace

void tone(int frequencyHz, int durationMs)
{
    constexpr unsigned rate = 8000;
    snd_pcm_t *pcm = openDefaultPcm(rate);
    if (!pcm)
        return;
    const size_t frames = size_t(rate) * size_t(durationMs) / 1000;
    std::vector<short> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = short(8000 * std::sin(2 * M_PI * frequencyHz * double(i) / rate));
    size_t done = 0;
    while (done < frames) {
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, samples.data() + done, frames - done);
        if (n < 0) {
            if (snd_pcm_recover(pcm, int(n), 1) < 0)
                break;
            continue;
        }
        done += size_t(n);
    }
    // Holding the thread until the tone has sounded is intended.
    snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
}

QString longTimeText(const QTime &time)
{
    QByteArray format = nl_langinfo(T_FMT);
    // A long time format that names the zone would give it in every row.
    for (const char *zone : {" %Z", "%Z", " %z", "%z"})
        format.replace(zone, "");
    if (format.isEmpty())
        format = "%H:%M:%S";
    std::tm tm{};
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, format.constData(), &tm);
    return QString::fromLocal8Bit(buffer, qsizetype(n));
}

std::FILE *openFile(const QString &path, const char *mode)
{
    errno = 0;
    return std::fopen(QFile::encodeName(path).constData(), mode);
}

bool syncFile(std::FILE *file)
{
    return std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
}

bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

int lastFileErrorCode()
{
    switch (errno) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 101;
    default:
        return errno;
    }
}

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}
} // namespace

void onSessionEnd(std::function<void()> handler)
{
    // A signal handler may only write to a pipe; the event loop reads it and
    // runs the handler where Qt may be used.
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe))
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read,
                                         QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        handler();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

} // namespace Platform
