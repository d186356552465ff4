#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
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
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <sys/mman.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>
#include <memory>
#include <utility>
#include <vector>

namespace Platform {

QString programDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

namespace {

// A folder only this user can write into: a lock file there cannot be made,
// held or opened up by anyone else.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// The runtime folder of the session, else a folder of our own in the temp
// folder, else one in the home folder.
QByteArray lockFolder(const QString &name)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    const QString own = name + QStringLiteral("-%1").arg(::getuid());
    for (const QString &base : {QDir::tempPath(), QDir::homePath() + QStringLiteral("/.cache")}) {
        const QByteArray folder = nativePath(base + QLatin1Char('/') + own);
        ::mkdir(nativePath(base).constData(), 0700);
        ::mkdir(folder.constData(), 0700);
        if (isPrivateFolder(folder))
            return folder;
    }
    return {};
}

} // namespace

bool acquireSingleInstance(const QString &name)
{
    // flock() rather than a file that merely exists: the kernel drops the lock
    // when the process dies, so a crashed instance never blocks the next start.
    const QByteArray folder = lockFolder(name);
    if (folder.isEmpty())
        return true; // no place for a marker: better two instances than none
    const QByteArray path = folder + '/' + nativePath(name) + ".lock";
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
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

namespace {

// The parameters cut into arguments by the rules QProcess::splitCommand
// follows (blanks apart, double quotes group, a tripled quote is one quote),
// on bytes, so that a name in another code page reaches the program as it is.
QList<QByteArray> splitParameters(const QByteArray &text)
{
    QList<QByteArray> arguments;
    QByteArray current;
    int quotes = 0;
    bool inQuote = false;
    for (const char c : text) {
        if (c == '"') {
            if (++quotes == 3) {
                quotes = 0;
                current += c;
            }
            continue;
        }
        if (quotes) {
            if (quotes == 1)
                inQuote = !inQuote;
            quotes = 0;
        }
        if (!inQuote && (c == ' ' || (c >= '\t' && c <= '\r'))) {
            if (!current.isEmpty()) {
                arguments << current;
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (quotes == 1)
        inQuote = !inQuote;
    if (!current.isEmpty())
        arguments << current;
    return arguments;
}

// posix_spawn rather than fork: it reports a refused exec (missing
// interpreter, no "#!", no permission) and a refused fork as its result,
// and it does not copy our address space. The child gets a session of its
// own, so that it outlives us and our terminal, default signal handling
// (ignored signals would otherwise be inherited), and none of our descriptors.
pid_t spawn(const QByteArray &program, const QList<QByteArray> &arguments, bool searchPath)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int error = searchPath ? posix_spawnp(&pid, program.constData(), &actions, &attributes,
                                                argv.data(), environ)
                                 : posix_spawn(&pid, program.constData(), &actions, &attributes,
                                               argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// Reaps one child when it ends, and hands over its wait status. A pidfd wakes
// us exactly once; without one (an old kernel, no descriptor left) we ask
// once a second while the child runs.
class ChildReaper : public QObject
{
public:
    ChildReaper(pid_t pid, QObject *context, std::function<void(int status)> ended)
        : QObject(context), m_pid(pid), m_ended(std::move(ended))
    {
        m_pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
        if (m_pidfd >= 0) {
            m_notifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &ChildReaper::poll);
        } else {
            m_timer = new QTimer(this);
            connect(m_timer, &QTimer::timeout, this, &ChildReaper::poll);
            m_timer->start(1000);
        }
    }
    ~ChildReaper() override
    {
        if (m_pidfd >= 0)
            ::close(m_pidfd);
    }

private:
    void poll()
    {
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        if (result == 0)
            return;
        if (m_notifier)
            m_notifier->setEnabled(false);
        if (m_timer)
            m_timer->stop();
        deleteLater();
        // Gone without a status to read (reaped elsewhere): nothing to report.
        std::function<void(int)> ended = std::move(m_ended);
        if (result == m_pid && ended)
            ended(status);
    }

    pid_t m_pid;
    int m_pidfd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_timer = nullptr;
    std::function<void(int)> m_ended;
};

bool isExecutableFile(const QByteArray &path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.constData(), X_OK) == 0;
}

// How long the desktop's opener may take to say that nothing opens a file.
// An opener still running by then has started something that keeps it busy.
constexpr int kOpenerVerdictMs = 2000;

void openDocument(const QByteArray &path, QObject *context,
                  std::function<void(const TargetEvent &)> report)
{
    const pid_t pid = spawn("xdg-open", {"xdg-open", path}, true);
    if (pid < 0) {
        report({TargetEvent::Refused, 0});
        return;
    }
    // Shared by the reaper and the timer: whichever comes first decides.
    auto decided = std::make_shared<bool>(false);
    auto *verdict = new QTimer(context);
    verdict->setSingleShot(true);
    QObject::connect(verdict, &QTimer::timeout, verdict, [verdict, decided, report] {
        verdict->deleteLater();
        if (!std::exchange(*decided, true))
            report({TargetEvent::Started, 0});
    });
    verdict->start(kOpenerVerdictMs);
    new ChildReaper(pid, context, [decided, report, verdict = QPointer<QTimer>(verdict)](int status) {
        if (verdict)
            verdict->deleteLater();
        if (std::exchange(*decided, true))
            return;
        const bool opened = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        report({opened ? TargetEvent::Started : TargetEvent::Refused, 0});
    });
}

} // namespace

void startTarget(const QByteArray &path, const QByteArray &parameters, QObject *context,
                 std::function<void(const TargetEvent &)> report)
{
    if (!isExecutableFile(path)) {
        openDocument(path, context, std::move(report));
        return;
    }
    // Programs are started directly, never through a shell, so that ";", "|"
    // or "$()" in a target stay plain text.
    const pid_t pid = spawn(path, QList<QByteArray>{path} + splitParameters(parameters), false);
    if (pid < 0) {
        report({TargetEvent::Refused, 0});
        return;
    }
    report({TargetEvent::Started, 0});
    new ChildReaper(pid, context, [report](int status) {
        if (WIFSIGNALED(status))
            report({TargetEvent::Killed, WTERMSIG(status)});
        else
            report({TargetEvent::Exited, WEXITSTATUS(status)});
    });
}

void openHelp(const QString &compiledHelp, const QString &htmlIndex)
{
    // Most Linux desktops have no viewer for compiled help: the choice is
    // made in a child, so that asking xdg-mime never holds the window.
    static const QByteArray choose =
        "if [ -f \"$1\" ] && [ -n \"$(xdg-mime query default application/vnd.ms-htmlhelp "
        "2>/dev/null)\" ]; then exec xdg-open \"$1\"; fi; exec xdg-open \"$2\"";
    const pid_t pid = spawn("/bin/sh", {"sh", "-c", choose, "sh", nativePath(compiledHelp),
                                        nativePath(htmlIndex)},
                            false);
    if (pid > 0)
        new ChildReaper(pid, QCoreApplication::instance(), {});
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

QString decodeText(const QByteArray &bytes)
{
    // The local 8-bit encoding is UTF-8 here. A byte that does not start a
    // well-formed sequence is kept as U+DC00 + byte, as Python's
    // "surrogateescape" does, so that encodeText gives it back.
    QString text;
    text.reserve(bytes.size());
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const uchar *const end = p + bytes.size();
    while (p < end) {
        const uchar lead = *p;
        if (lead < 0x80) {
            text += QChar(lead);
            ++p;
            continue;
        }
        int length = 0;
        char32_t code = 0, least = 0;
        if ((lead & 0xe0) == 0xc0) {
            length = 2, code = lead & 0x1f, least = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3, code = lead & 0x0f, least = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4, code = lead & 0x07, least = 0x10000;
        }
        bool wellFormed = length > 0 && end - p >= length;
        for (int i = 1; wellFormed && i < length; ++i) {
            wellFormed = (p[i] & 0xc0) == 0x80;
            code = (code << 6) | (p[i] & 0x3f);
        }
        // Overlong forms and encoded surrogates would not come back the same.
        wellFormed = wellFormed && code >= least && code <= 0x10ffff &&
                     !(code >= 0xd800 && code <= 0xdfff);
        if (!wellFormed) {
            text += QChar(char16_t(0xdc00 + lead));
            ++p;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        } else {
            text += QChar(char16_t(code));
        }
        p += length;
    }
    return text;
}

namespace {
bool isHeldByte(const QString &text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    return c >= 0xdc80 && c <= 0xdcff && (i == 0 || !text.at(i - 1).isHighSurrogate());
}
} // namespace

QByteArray encodeText(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isHeldByte(text, i))
            continue;
        bytes += QStringView(text).mid(run, i - run).toUtf8();
        bytes += char(text.at(i).unicode() - 0xdc00);
        run = i + 1;
    }
    bytes += QStringView(text).mid(run).toUtf8();
    return bytes;
}

QString displayText(const QString &text)
{
    QString shown = text;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (isHeldByte(text, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QByteArray nativePath(const QString &path)
{
    return encodeText(path);
}

bool isRegularFile(const QString &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

bool isOtherThanRegularFile(const QString &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(nativePath(path).constData(), &info) == 0 &&
           !S_ISREG(info.st_mode);
}

std::FILE *openFile(const QString &path, const char *mode)
{
    const QByteArray how(mode);
    int flags = O_CLOEXEC | O_NONBLOCK;
    if (how.startsWith('r'))
        flags |= O_RDONLY;
    else if (how.startsWith('w'))
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
    else
        flags |= O_WRONLY | O_CREAT | O_APPEND;
    if (how.contains('x'))
        flags |= O_EXCL;
    errno = 0;
    // Not blocking: a pipe would otherwise hold the open until someone writes
    // to it. Truncating is left until we know it is a regular file.
    const int fd = ::open(nativePath(path).constData(), flags & ~O_TRUNC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EACCES;
        return nullptr;
    }
    if (((flags & O_TRUNC) && ::ftruncate(fd, 0) != 0) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE *file = ::fdopen(fd, how.startsWith('r') ? "rb" : how.startsWith('w') ? "wb" : "ab");
    if (!file) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

void copyPermissions(std::FILE *file, const QString &reference)
{
    struct stat info {};
    if (::stat(nativePath(reference).constData(), &info) == 0)
        ::fchmod(fileno(file), info.st_mode & 07777);
}

QString finalTarget(const QString &path)
{
    char *resolved = ::realpath(nativePath(path).constData(), nullptr);
    if (!resolved)
        return path;
    const QString target = decodeText(QByteArray(resolved));
    std::free(resolved);
    return target;
}

bool truncateFile(std::FILE *file, qint64 size)
{
    std::clearerr(file);
    return ::ftruncate(fileno(file), off_t(size)) == 0;
}

bool syncFile(std::FILE *file)
{
    return std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
}

bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(nativePath(from).constData(), nativePath(to).constData()) == 0;
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
    // What Windows says of a folder, a pipe or a device opened as a file.
    case EISDIR:
    case ENXIO:
    case ELOOP:
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
    // The event loop ends the program at once; should it be held (Qt waits
    // for painting threads that a process limit kept from starting), the
    // request is still answered within a second.
    itimerval watchdog{};
    watchdog.it_value.tv_usec = 700 * 1000;
    ::setitimer(ITIMER_REAL, &watchdog, nullptr);
}

void onAlarm(int)
{
    ::_exit(0);
}
} // namespace

QString startWithSessionEntry()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/autostart/pendulix.desktop"));
}

bool setStartWithSession(bool start, const QString &executable)
{
    const QString entry = startWithSessionEntry();
    if (!start)
        return !QFile::exists(entry) || QFile::remove(entry);
    // The Exec key's quoting: the path in double quotes, where a double quote,
    // a backquote, a dollar sign and a backslash each take a backslash.
    QString quoted = executable;
    for (const QChar c : {QLatin1Char('\\'), QLatin1Char('"'), QLatin1Char('`'), QLatin1Char('$')})
        quoted.replace(c, QStringLiteral("\\") + c);
    const QByteArray text = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Pendulix\n"
                            "Comment=Starts programs, documents and web addresses on time\n"
                            "Comment[fr]=Lance programmes, documents et adresses web à heure fixe\n"
                            "Exec=\"" + quoted.toUtf8() + "\"\n"
                            "Icon=pendulix\n"
                            "Terminal=false\n"
                            "X-GNOME-Autostart-enabled=true\n";
    QDir().mkpath(QFileInfo(entry).path());
    QSaveFile file(entry);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

void prepareProcess()
{
    signal(SIGXFSZ, SIG_IGN);
}

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
    struct sigaction alarmAction {};
    alarmAction.sa_handler = onAlarm;
    sigemptyset(&alarmAction.sa_mask);
    sigaction(SIGALRM, &alarmAction, nullptr);
}

} // namespace Platform
