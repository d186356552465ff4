#include "platform.h"

#include "keptrunwatch.h"
#include "win/winchildren.h"
#include "win/winfiles.h"
#include "win/wininstance.h"
#include "win/winkeeper.h"
#include "win/winoutput.h"
#include "win/winpower.h"
#include "win/winprocesstree.h"
#include "win/winshell.h"
#include "win/winshowrequest.h"
#include "win/winsound.h"
#include "win/wintime.h"
#include "win/wintrim.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QWinEventNotifier>

#include <memory>

#include <windows.h>

// The Qt side of the Windows layer: converts Qt's types and hands over to
// the Win32 primitives of win/, which are built and tested on their own.
namespace Platform {

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool openWithAssociatedApplication(const QString &path)
{
    return Win::shellExecuteOpen(wide(path));
}

// The started programs whose end is awaited, all through one job object.
// Lives on the window thread, a child of the application, so that the
// reader thread has stopped before the object it posts to goes.
class ChildWatch : public QObject
{
public:
    using Report = std::function<void(const TargetEvent &)>;

    static ChildWatch &instance()
    {
        static QPointer<ChildWatch> watch;
        if (!watch)
            watch = new ChildWatch(QCoreApplication::instance());
        return *watch;
    }

    // Takes the handle; false when the job cannot have it.
    bool watch(void *process, QObject *context, Report report)
    {
        const quint64 key = ++m_lastKey;
        m_reports.insert(key, {context, std::move(report)});
        if (m_ends->watch(process, key))
            return true;
        m_reports.remove(key);
        return false;
    }

    ~ChildWatch() override { m_ends.reset(); }

private:
    struct Awaited
    {
        QPointer<QObject> context;
        Report report;
    };

    explicit ChildWatch(QObject *parent)
        : QObject(parent),
          m_ends(std::make_unique<Win::ChildEnds>([this](std::uint64_t key, unsigned long code) {
              QMetaObject::invokeMethod(this, [this, key, code] { ended(key, code); },
                                        Qt::QueuedConnection);
          }))
    {
    }

    void ended(quint64 key, unsigned long code)
    {
        const Awaited awaited = m_reports.take(key);
        if (awaited.context && awaited.report)
            awaited.report({TargetEvent::Exited, int(code)});
    }

    std::unique_ptr<Win::ChildEnds> m_ends;
    QHash<quint64, Awaited> m_reports;
    quint64 m_lastKey = 0;
};

// Where the job cannot have a child: a wait of its own.
void watchOnItsOwn(HANDLE process, QObject *context, ChildWatch::Report report)
{
    auto *notifier = new QWinEventNotifier(process, context);
    QObject::connect(notifier, &QWinEventNotifier::activated, notifier,
                     [notifier, report](HANDLE ended) {
                         notifier->setEnabled(false);
                         notifier->deleteLater();
                         report({TargetEvent::Exited, int(Win::endedProcessCode(ended))});
                     });
}

} // namespace

ProgramFolders programFolders()
{
    // Everything beside the executable, as designed.
    const QString directory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
    return {directory, directory, directory};
}

QString programDirectory()
{
    return programFolders().own;
}

bool localPeerIsOwnUser(qintptr)
{
    // The pipe's security descriptor already admits its user only.
    return true;
}

bool acquireSingleInstance(const QString &name)
{
    // The handle stays open until the process ends: it is the marker.
    return Win::holdNamedMutex(name.toLocal8Bit().constData());
}

void notifyDesktop(const QString &, const QString &, const QString &, std::function<void()>,
                   std::function<void()> unavailable)
{
    // The tray balloon is Windows' own way of telling.
    unavailable();
}

QString singleInstanceChannel(const QString &)
{
    // A named pipe any user could open is no channel for this; the second
    // start finds the running instance's message-only window instead, which
    // only this user's desktop reaches (askRunningInstanceToShow).
    return QString();
}

namespace {

// The listening window goes with its context, on the thread that made it.
// Qt's event loop dispatches all of the thread's messages, so the window's
// requests are heard there with no loop of our own.
class ShowListener : public QObject
{
public:
    ShowListener(const QString &name, std::function<void()> show, QObject *context)
        : QObject(context), m_listener(name.toStdWString(), std::move(show))
    {
        if (!m_listener.listening())
            qWarning("A second start cannot show this window: no window for its request");
    }

private:
    Win::ShowRequestListener m_listener;
};

} // namespace

bool askRunningInstanceToShow(const QString &name)
{
    return Win::askToShow(name.toStdWString());
}

void onShowAsked(const QString &name, QObject *context, std::function<void()> show)
{
    new ShowListener(name, std::move(show), context);
}

bool startsAsProgram(const QByteArray &path)
{
    const QByteArray lower = path.toLower();
    return lower.endsWith(".exe") || lower.endsWith(".com") || lower.endsWith(".bat") || lower.endsWith(".cmd");
}

namespace {

bool runFileLocked(const QString &runFile)
{
    return Win::runFileLocked(wide(runFile));
}

// The keeper is named as on every system; here an executable has its suffix.
QString keeperProgram(const StartOptions &options)
{
    if (options.keeper.isEmpty() || options.runFile.isEmpty())
        return {};
    const QString keeper = options.keeper + QStringLiteral(".exe");
    return QFileInfo(keeper).isFile() ? keeper : QString();
}

// Started through the keeper: false when the runs folder took no file, and
// the program is to be started as without one.
bool startKept(const QString &keeper, const QByteArray &path, const QByteArray &parameters, QObject *context,
               const std::function<void(const TargetEvent &)> &report, const StartOptions &options)
{
    // A missing program is refused here, as the system would refuse it, so
    // that it reads as refused rather than as a start that ended.
    const QFileInfo program(QString::fromLocal8Bit(path));
    if (program.isAbsolute() && !program.isFile()) {
        report({TargetEvent::Refused, 0});
        return true;
    }
    const Win::KeptLimits limits{wide(options.outputFile), options.keptOutput,
                                 options.droppedNoteBefore.toStdString(), options.droppedNoteAfter.toStdString(),
                                 qint64(options.stopAfterMinutes) * 60000};
    void *process = nullptr;
    const Win::KeptStart start = Win::startKept(wide(keeper), path.toStdString(), parameters.toStdString(), limits,
                                                wide(options.runFile), options.runRecord.toStdString(), &process);
    if (start == Win::KeptStart::NoRunFile)
        return false;
    if (start == Win::KeptStart::Refused) {
        report({TargetEvent::Refused, 0});
        return true;
    }
    const QString runFile = options.runFile;
    KeptRunWatch::watchOwn(runFile, options.stopAfterMinutes, context, report);
    // Heard whoever watches: the run's end may stay in the folder for a later instance.
    const auto keeperEnded = [runFile](const TargetEvent &) { KeptRunWatch::keeperEnded(runFile, 0); };
    if (!ChildWatch::instance().watch(process, QCoreApplication::instance(), keeperEnded))
        watchOnItsOwn(process, QCoreApplication::instance(), keeperEnded);
    report({TargetEvent::Started, 0, true, true});
    return true;
}

} // namespace

void startTarget(const QByteArray &path, const QByteArray &parameters, QObject *context,
                 std::function<void(const TargetEvent &)> report, const StartOptions &options)
{
    // Only what was started directly reports its end; a document's viewer is
    // none of the schedule's business.
    const bool program = startsAsProgram(path);
    const QString keeper = program ? keeperProgram(options) : QString();
    if (!keeper.isEmpty() && startKept(keeper, path, parameters, context, report, options))
        return;
    // The time limit: what the program starts from then on is held with it,
    // and ended with it; its end then reads as stopped.
    std::shared_ptr<Win::ProcessTree> tree;
    const auto hold = [&](void *process) {
        if (options.stopAfterMinutes > 0)
            tree = std::make_shared<Win::ProcessTree>(process);
    };
    void *process = nullptr;
    // The ANSI calls: the bytes of the schedule file are in the ANSI code page.
    if (program && !options.outputFile.isEmpty()) {
        // Held before it runs: nothing it starts escapes the limit.
        process = Win::startWithOutput(path.toStdString(), parameters.toStdString(),
                                       QDir::toNativeSeparators(options.outputFile).toStdWString(), hold);
        if (!process) {
            report({TargetEvent::Refused, 0});
            return;
        }
    } else {
        // A program with parameters has the desktop window as owner.
        const Win::ShellStart start =
            Win::shellOpen(path.toStdString(), parameters.toStdString(), !parameters.isEmpty());
        if (!start.started) {
            report({TargetEvent::Refused, 0});
            return;
        }
        process = start.process;
        if (process && !program) {
            CloseHandle(process);
            process = nullptr;
        }
        if (process)
            hold(process);
    }
    if (tree && tree->holds()) {
        auto stopped = std::make_shared<bool>(false);
        QTimer::singleShot(options.stopAfterMinutes * 60000, Qt::PreciseTimer, context, [tree, stopped] {
            *stopped = true;
            tree->terminate(1);
        });
        report = [report, stopped, tree, minutes = options.stopAfterMinutes](const TargetEvent &event) {
            if (event.kind == TargetEvent::Exited && *stopped)
                report({TargetEvent::Stopped, minutes});
            else
                report(event);
        };
    }
    // Watched before the start is told: recording it may fail, and the end
    // must still be recorded.
    if (process && !ChildWatch::instance().watch(process, context, report))
        watchOnItsOwn(process, context, report);
    TargetEvent started{TargetEvent::Started, 0, process != nullptr};
    started.withoutKeeper = program && !options.keeper.isEmpty();
    report(started);
}

namespace {

// Every window of the application gets WM_POWERBROADCAST; the filter sees
// them all before Qt does, and goes with its context.
class WakeFilter : public QObject, public QAbstractNativeEventFilter
{
public:
    WakeFilter(std::function<void()> woke, QObject *context) : QObject(context), m_woke(std::move(woke))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~WakeFilter() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        if (Win::isWakeMessage(message) && m_woke)
            m_woke();
        return false;
    }

private:
    std::function<void()> m_woke;
};

} // namespace

QList<KeptRun> keptRuns(const QString &folder)
{
    return KeptRunWatch::find(folder, runFileLocked);
}

void watchKeptRun(const QString &runFile, int stopAfterMinutes, QObject *context,
                  std::function<void(const TargetEvent &)> report)
{
    KeptRunWatch::watchForeign(runFile, stopAfterMinutes, runFileLocked, context, std::move(report));
}

void forgetKeptRun(const QString &runFile)
{
    KeptRunWatch::forget(runFile);
}

bool stopKeptRun(const QString &runFile)
{
    return Win::requestStop(wide(runFile));
}

bool makePrivateFolder(const QString &path)
{
    // A folder in the user's profile is the user's already.
    return QDir().mkpath(path);
}

// A wait here has no slack rule of that kind: the minute's own timer does.
WallClockAlarm::WallClockAlarm(std::function<void()>, QObject *)
{
}

bool WallClockAlarm::arm(qint64)
{
    return false;
}

void onWakeFromSleep(QObject *context, std::function<void()> woke)
{
    new WakeFilter(std::move(woke), context);
}

void openHelp(const QString &compiledHelp, const QString &, std::function<void()> unavailable)
{
    if (!openWithAssociatedApplication(compiledHelp))
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(unavailable));
}

QString targetSeparators()
{
    return QStringLiteral("\\:");
}

QString allFilesPattern()
{
    return QStringLiteral("*.*");
}

QStringList nativeTargetFilters(const QString &, const QString &)
{
    // The designed filters are this platform's own.
    return {};
}

QString fixedExecutableName()
{
    return QStringLiteral("Pendulix.exe");
}

void trimWorkingSet(const QString &executableName)
{
    Win::trimWorkingSet(executableName.toStdWString());
}

void tone(int frequencyHz, int durationMs)
{
    Win::tone(frequencyHz, durationMs);
}

QString longTimeText(const QTime &time)
{
    return QString::fromStdWString(Win::longTimeText(time.hour(), time.minute(), time.second()));
}

QString decodeText(const QByteArray &bytes)
{
    // The ANSI code pages map every byte to a character of their own.
    return QString::fromLocal8Bit(bytes);
}

QByteArray encodeText(const QString &text)
{
    return text.toLocal8Bit();
}

QString displayText(const QString &text)
{
    return text;
}

QByteArray nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toLocal8Bit();
}

bool isRegularFile(const QString &path)
{
    return Win::isRegularFile(wide(path));
}

bool isOtherThanRegularFile(const QString &path)
{
    return Win::isOtherThanRegularFile(wide(path));
}

void copyPermissions(std::FILE *, const QString &)
{
    // Windows files keep their access rights in the folder's inheritance.
}

QString finalTarget(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : QDir::toNativeSeparators(target);
}

bool truncateFile(std::FILE *file, qint64 size)
{
    return Win::truncateFile(file, size);
}

std::FILE *openFile(const QString &path, const char *mode)
{
    return Win::openFile(wide(path), mode);
}

qint64 freeFileSpace(const QString &path, qint64 from)
{
    return Win::freeOutputSpace(wide(path), from);
}

bool syncFile(std::FILE *file)
{
    return Win::syncFile(file);
}

bool replaceFile(const QString &from, const QString &to)
{
    return Win::replaceFile(wide(from), wide(to));
}

int lastFileErrorCode()
{
    return Win::lastRuntimeIoCode();
}

QString startWithSessionEntry()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Pendulix");
}

QString setStartWithSession(bool start, const QString &executable)
{
    QSettings run(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::NativeFormat);
    if (start)
        run.setValue(QStringLiteral("Pendulix"),
                     QLatin1Char('"') + QDir::toNativeSeparators(executable) + QLatin1Char('"'));
    else
        run.remove(QStringLiteral("Pendulix"));
    run.sync();
    if (run.status() == QSettings::NoError)
        return QString();
    return QStringLiteral("Démarrage avec la session impossible : Accès au registre refusé");
}

void prepareProcess()
{
}

void onSessionEnd(std::function<void()>)
{
    // Qt ends the event loop itself on WM_ENDSESSION, without closing windows.
}

} // namespace Platform
