#include "posixsession.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace Posix {

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

void prepareProcess()
{
    signal(SIGXFSZ, SIG_IGN);
    // A resident program that starts children for days opens its journal,
    // its schedule and its sockets beside whatever it still has open: it
    // takes every descriptor the system allows it, as long-running services do.
    rlimit files {};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
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

} // namespace Posix
