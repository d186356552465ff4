#include "platform.h"

#include "keptrunwatch.h"
#include "posix/posixautostart.h"
#include "posix/posixfiles.h"
#include "posix/posixalarm.h"
#include "posix/posixinstance.h"
#include "posix/posixkeeper.h"
#include "posix/posixlaunch.h"
#include "posix/posixnotify.h"
#include "posix/posixsession.h"
#include "posix/posixsleep.h"
#include "posix/posixsound.h"
#include "posix/posixtime.h"
#include "posix/posixtrim.h"
#include "text/escapedutf8.h"
#include "text/parameters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

// The Qt side of the POSIX layer: converts Qt's types to native paths and
// hands over to the primitives of posix/.
namespace Platform {

ProgramFolders programFolders()
{
    // Before the application exists (the single-instance check) the kernel's
    // own link to the executable tells.
    const QString executable = QCoreApplication::instance()
                                   ? QCoreApplication::applicationFilePath()
                                   : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    ExecutablePlace place;
    place.directory = QFileInfo(executable).absolutePath() + QLatin1Char('/');
    place.writable = ::access(nativePath(place.directory).constData(), W_OK) == 0;
    const QString languageFile = QStringLiteral("sourcelang.ini");
    place.holdsData = QFileInfo(place.directory + languageFile).isFile();
    place.installedData = QFileInfo(installedDataFolder(place.directory) + languageFile).isFile();
    place.holdsSchedule = QFileInfo::exists(place.directory + QStringLiteral("cron-bat.dat"));
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd *user = ::getpwuid(::getuid()))
            home = QFile::decodeName(user->pw_dir);
    }
    return chooseProgramFolders(place, qEnvironmentVariable("XDG_DATA_HOME"), home);
}

QString programDirectory()
{
    return programFolders().own;
}

namespace {

QByteArray instanceFolder(const QString &name)
{
    return Posix::lockFolder(nativePath(name), {nativePath(QDir::tempPath()),
                                                nativePath(QDir::homePath() + QStringLiteral("/.cache"))});
}

} // namespace

bool acquireSingleInstance(const QString &name)
{
    const QByteArray folder = instanceFolder(name);
    // Without a folder of the user's own, the program's folder, which holds
    // the schedule two instances must never share, holds the lock.
    if (folder.isEmpty())
        return Posix::holdLock(nativePath(programDirectory()) + nativePath(name) + ".lock");
    return Posix::holdLock(folder + '/' + nativePath(name) + ".lock");
}

bool localPeerIsOwnUser(qintptr socketDescriptor)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::getuid();
}

void notifyDesktop(const QString &summary, const QString &body, const QString &showAction,
                   std::function<void()> activated, std::function<void()> unavailable)
{
    // The icon the desktop entry names, from the program's own folder.
    const QString icon = QCoreApplication::applicationDirPath() + QStringLiteral("/pendulix.png");
    Posix::DesktopNotices::instance().post(summary, body, showAction, QFileInfo(icon).isFile() ? icon : QStringLiteral("pendulix"),
                                           std::move(activated), std::move(unavailable));
}

QString singleInstanceChannel(const QString &name)
{
    const QByteArray folder = instanceFolder(name);
    return folder.isEmpty() ? QString() : QFile::decodeName(folder + '/' + nativePath(name) + ".show");
}

bool askRunningInstanceToShow(const QString &)
{
    // The channel's socket carries the request.
    return false;
}

void onShowAsked(const QString &, QObject *, std::function<void()>)
{
}

bool startsAsProgram(const QByteArray &path)
{
    return Posix::isExecutableFile(path);
}

void startTarget(const QByteArray &path, const QByteArray &parameters, QObject *context,
                 std::function<void(const TargetEvent &)> report, const StartOptions &options)
{
    if (!startsAsProgram(path)) {
        Posix::openDocument(path, context, [report = std::move(report)](bool opened) {
            report({opened ? TargetEvent::Started : TargetEvent::Refused, 0});
        });
        return;
    }
    const Posix::ProgramLimits limits{
        options.stopAfterMinutes * 60000,
        options.outputFile.isEmpty() ? QByteArray() : nativePath(options.outputFile),
        {options.keptOutput, options.droppedNoteBefore, options.droppedNoteAfter}};
    const QByteArray keeper = options.keeper.isEmpty() ? QByteArray() : nativePath(options.keeper);
    const bool kept = !keeper.isEmpty() && !options.runFile.isEmpty() && Posix::isExecutableFile(keeper);
    if (kept) {
        if (Posix::execWouldRefuse(path)) {
            report({TargetEvent::Refused, 0});
            return;
        }
        const Posix::KeptStart start = Posix::startKept(keeper, path, Parameters::split(parameters), limits,
                                                        options.runFile, options.runRecord, context, report);
        // A runs folder that takes no file or no lock: started as without a keeper.
        if (start != Posix::KeptStart::NoRunFile) {
            const bool started = start == Posix::KeptStart::Started;
            report({started ? TargetEvent::Started : TargetEvent::Refused, 0, started, started});
            return;
        }
    }
    const bool started = Posix::startProgram(
        path, Parameters::split(parameters), context,
        [report, options](const Posix::ProgramEnd &end) {
            if (end.stopped)
                report({TargetEvent::Stopped, options.stopAfterMinutes, false, end.outputCut});
            else
                report({end.killed ? TargetEvent::Killed : TargetEvent::Exited, end.number, false,
                        end.outputCut});
        },
        limits);
    TargetEvent event{started ? TargetEvent::Started : TargetEvent::Refused, 0, started};
    event.withoutKeeper = started && !keeper.isEmpty();
    report(event);
}

QList<KeptRun> keptRuns(const QString &folder)
{
    return KeptRunWatch::find(folder, Posix::runFileLocked);
}

void watchKeptRun(const QString &runFile, int stopAfterMinutes, QObject *context,
                  std::function<void(const TargetEvent &)> report)
{
    KeptRunWatch::watchForeign(runFile, stopAfterMinutes, Posix::runFileLocked, context, std::move(report));
}

void forgetKeptRun(const QString &runFile)
{
    KeptRunWatch::forget(runFile);
}

bool stopKeptRun(const QString &runFile)
{
    return Posix::requestStop(runFile);
}

bool makePrivateFolder(const QString &path)
{
    const QByteArray native = nativePath(path);
    if (::mkdir(native.constData(), 0700) == 0)
        ::chmod(native.constData(), 0700);
    struct stat info {};
    return ::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

WallClockAlarm::WallClockAlarm(std::function<void()> due, QObject *context)
    : m_alarm(new Posix::WallAlarm(std::move(due), context))
{
}

bool WallClockAlarm::arm(qint64 msecsSinceEpoch)
{
    return static_cast<Posix::WallAlarm *>(m_alarm)->arm(msecsSinceEpoch);
}

void onWakeFromSleep(QObject *context, std::function<void()> woke)
{
    new Posix::SleepWatch(std::move(woke), context);
}

void openHelp(const QString &compiledHelp, const QString &htmlIndex, std::function<void()> unavailable)
{
    Posix::openHelp(nativePath(compiledHelp), nativePath(htmlIndex), std::move(unavailable));
}

QString targetSeparators()
{
    return QStringLiteral("/");
}

QString allFilesPattern()
{
    return QStringLiteral("*");
}

QStringList nativeTargetFilters(const QString &scripts, const QString &programs)
{
    // A program has no extension here: only its mode tells it.
    return {scripts + QStringLiteral(" (*.sh)"), programs + QStringLiteral(" (*)")};
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
    Posix::trimOwnMemory();
}

void tone(int frequencyHz, int durationMs)
{
    Posix::tone(frequencyHz, durationMs);
}

QString longTimeText(const QTime &time)
{
    return QString::fromLocal8Bit(Posix::longTimeText(time.hour(), time.minute(), time.second()));
}

// The local 8-bit encoding is UTF-8 here; what it cannot decode is held as
// Python's "surrogateescape" holds it.
QString decodeText(const QByteArray &bytes)
{
    return EscapedUtf8::decode(bytes);
}

QByteArray encodeText(const QString &text)
{
    return EscapedUtf8::encode(text);
}

QString displayText(const QString &text)
{
    return EscapedUtf8::display(text);
}

QByteArray nativePath(const QString &path)
{
    return encodeText(path);
}

bool isRegularFile(const QString &path)
{
    return Posix::isRegularFile(nativePath(path));
}

bool isOtherThanRegularFile(const QString &path)
{
    return Posix::isOtherThanRegularFile(nativePath(path));
}

std::FILE *openFile(const QString &path, const char *mode)
{
    return Posix::openFile(nativePath(path), mode);
}

void copyPermissions(std::FILE *file, const QString &reference)
{
    Posix::copyPermissions(file, nativePath(reference));
}

QString finalTarget(const QString &path)
{
    const QByteArray target = Posix::resolvedPath(nativePath(path));
    return target.isEmpty() ? path : decodeText(target);
}

bool truncateFile(std::FILE *file, qint64 size)
{
    return Posix::truncateFile(file, size);
}

qint64 freeFileSpace(const QString &path, qint64 from)
{
    return Posix::freeFileSpace(nativePath(path), from);
}

bool syncFile(std::FILE *file)
{
    return Posix::syncFile(file);
}

bool replaceFile(const QString &from, const QString &to)
{
    return Posix::replaceFile(nativePath(from), nativePath(to));
}

int lastFileErrorCode()
{
    return Posix::lastFileErrorCode();
}

QString startWithSessionEntry()
{
    return Posix::autostartEntry();
}

QString setStartWithSession(bool start, const QString &executable)
{
    return Posix::setAutostart(start, executable);
}

void prepareProcess()
{
    Posix::prepareProcess();
}

void onSessionEnd(std::function<void()> handler)
{
    Posix::onSessionEnd(std::move(handler));
}

} // namespace Platform
