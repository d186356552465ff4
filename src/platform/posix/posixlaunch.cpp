#include "posixlaunch.h"

#include "childreaper.h"
#include "posixoutputrelay.h"
#include "posixspawn.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace Posix {

namespace {

// How long the desktop's opener may take to say that nothing opens a file.
// An opener still running by then has started something that keeps it busy.
constexpr int kOpenerVerdictMs = 2000;
// What a stopped program's session gets to end on its own before it is killed.
constexpr int kStopGraceMs = 10000;
// How long the end of a program waits for its output relay to finish the file.
constexpr int kRelayWaitMs = 2000;

} // namespace

void stopSession(pid_t leader, QObject *context, int graceMs)
{
    // The group outlives its leader while any member runs, and its number
    // is not given to another process meanwhile.
    if (::kill(-leader, SIGTERM) != 0)
        return;
    QTimer::singleShot(graceMs, Qt::PreciseTimer, context, [leader] {
        if (::kill(-leader, 0) == 0)
            ::kill(-leader, SIGKILL);
    });
}

bool isExecutableFile(const QByteArray &path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.constData(), X_OK) == 0;
}

bool startProgram(const QByteArray &path, const QList<QByteArray> &arguments, QObject *context,
                  std::function<void(const ProgramEnd &)> ended, const ProgramLimits &limits)
{
    // Programs are started directly, never through a shell, so that ";", "|"
    // or "$()" in a target stay plain text.
    // The relay first: the program writes into its pipe from its first instruction.
    OutputRelay relay;
    if (!limits.output.isEmpty() && limits.cut.kept > 0)
        relay = startOutputRelay(limits.output, limits.cut);
    const bool relayed = relay.pid > 0;
    const pid_t pid = spawn(path, QList<QByteArray>{path} + arguments, false,
                            relayed ? QByteArray() : limits.output, relay.input);
    // Once the relay has read the last of it, the file holds all the program wrote.
    auto relayDone = std::make_shared<bool>(!relayed);
    auto reportWaiting = std::make_shared<std::function<void()>>();
    if (relayed) {
        ::close(relay.input);
        watchChild(relay.pid, context, [relayDone, reportWaiting](int) {
            *relayDone = true;
            if (*reportWaiting)
                std::exchange(*reportWaiting, {})();
        });
    }
    if (pid < 0)
        return false;
    auto stopped = std::make_shared<bool>(false);
    QPointer<QTimer> limit;
    if (limits.stopAfterMs > 0) {
        limit = new QTimer(context);
        limit->setSingleShot(true);
        // A coarse timer may fire 5 % early: a job of max=60 stopped three
        // minutes before its limit.
        limit->setTimerType(Qt::PreciseTimer);
        QObject::connect(limit, &QTimer::timeout, limit, [pid, context, stopped, timer = limit.data()] {
            timer->deleteLater();
            *stopped = true;
            stopSession(pid, context, kStopGraceMs);
        });
        limit->start(limits.stopAfterMs);
    }
    watchChild(pid, context,
               [ended = std::move(ended), stopped, limit, relayed, relayDone, reportWaiting,
                context](int status) {
                   if (limit)
                       limit->deleteLater();
                   const bool killed = WIFSIGNALED(status);
                   const ProgramEnd end{killed, killed ? WTERMSIG(status) : WEXITSTATUS(status), *stopped,
                                        relayed};
                   if (*relayDone) {
                       ended(end);
                       return;
                   }
                   // The end is told when its output is all written, but not kept
                   // waiting by something it left running with the pipe.
                   *reportWaiting = [ended, end] { ended(end); };
                   QTimer::singleShot(kRelayWaitMs, context, [reportWaiting] {
                       if (*reportWaiting)
                           std::exchange(*reportWaiting, {})();
                   });
               });
    return true;
}

void openDocument(const QByteArray &path, QObject *context,
                  std::function<void(bool opened)> decided)
{
    const pid_t pid = spawn("xdg-open", {"xdg-open", path}, true);
    if (pid < 0) {
        decided(false);
        return;
    }
    // Shared by the reaper and the timer: whichever comes first decides.
    auto done = std::make_shared<bool>(false);
    auto *verdict = new QTimer(context);
    verdict->setSingleShot(true);
    QObject::connect(verdict, &QTimer::timeout, verdict, [verdict, done, decided] {
        verdict->deleteLater();
        if (!std::exchange(*done, true))
            decided(true);
    });
    verdict->start(kOpenerVerdictMs);
    watchChild(pid, context, [done, decided, verdict = QPointer<QTimer>(verdict)](int status) {
        if (verdict)
            verdict->deleteLater();
        if (std::exchange(*done, true))
            return;
        decided(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    });
}

void openHelp(const QByteArray &compiledHelp, const QByteArray &htmlIndex, std::function<void()> unavailable)
{
    // Most Linux desktops have no viewer for compiled help: the choice is
    // made in a child, so that asking xdg-mime never holds the window.
    static const QByteArray choose =
        "if [ -f \"$1\" ] && [ -n \"$(xdg-mime query default application/vnd.ms-htmlhelp "
        "2>/dev/null)\" ]; then exec xdg-open \"$1\"; fi; exec xdg-open \"$2\"";
    const pid_t pid = spawn("/bin/sh", {"sh", "-c", choose, "sh", compiledHelp, htmlIndex}, false);
    // xdg-open ends with another code than 0 when no program took the file,
    // and the shell with 127 when there is no xdg-open.
    if (pid > 0) {
        watchChild(pid, QCoreApplication::instance(), [unavailable = std::move(unavailable)](int status) {
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                unavailable();
        });
    } else {
        QTimer::singleShot(0, QCoreApplication::instance(), std::move(unavailable));
    }
}

} // namespace Posix
