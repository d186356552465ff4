// pendulix-run: the keeper of one run. Pendulix starts it for each program
// it starts directly; it starts the program in a session of its own, keeps
// its output, stops it and all it started at the run's time limit or on
// request, and records the end where Pendulix, running or started later,
// finds it. It outlives Pendulix, so that neither the limit nor the output
// depend on Pendulix still running.
//
// pendulix-run RUNFILE OUTPUT KEPT NOTE-BEFORE NOTE-AFTER LIMIT-MS PROGRAM [ARGUMENT...]
// with RUNFILE open and locked on descriptor 3, or else opened and locked here.

#include "descendants.h"
#include "keptoutput.h"
#include "runfile.h"

#include "platform/posix/sessionattributes.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

// Not every C library's headers have it; the kernel's value.
#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace {

// What the stopped run gets to end on its own before what is left is killed.
constexpr int kGraceMs = 10000;

int startProgram(char **argv, int output, pid_t *pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, 1);
    posix_spawn_file_actions_adddup2(&actions, output, 2);
    const Posix::SessionAttributes attributes;
    const int error = posix_spawn(pid, argv[0], &actions, attributes.get(), argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

int timerAfter(int ms)
{
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    itimerspec when{};
    when.it_value.tv_sec = ms / 1000;
    when.it_value.tv_nsec = long(ms % 1000) * 1000000L;
    if (fd >= 0 && ms > 0)
        ::timerfd_settime(fd, 0, &when, nullptr);
    return fd;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 8)
        return 2;
    // Nothing we were handed beyond the three goes on to the program; ours
    // are all made close-on-exec.
    ::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC);
    RunFile run(argv[1], 3);
    KeptOutput output(argv[2], strtoll(argv[3], nullptr, 10), argv[4], argv[5]);
    const long limitMs = strtol(argv[6], nullptr, 10);
    char **program = argv + 7;

    // Whatever the program starts and leaves behind becomes our child, not
    // init's: it stays in reach of the limit.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    ::signal(SIGHUP, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    sigset_t handled;
    sigemptyset(&handled);
    sigaddset(&handled, SIGCHLD);
    sigaddset(&handled, SIGTERM);
    sigaddset(&handled, SIGINT);
    ::sigprocmask(SIG_BLOCK, &handled, nullptr);
    const int signals = ::signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);

    const char *requestPath = run.requestPath();
    ::mkfifo(requestPath, 0600);
    int requests = ::open(requestPath, O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    struct stat requestInfo {};
    if (requests >= 0 && (::fstat(requests, &requestInfo) != 0 || !S_ISFIFO(requestInfo.st_mode))) {
        ::close(requests);
        requests = -1;
    }

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.end("refused", errno);
        ::unlink(requestPath);
        return 1;
    }
    pid_t pid = -1;
    const int refused = startProgram(program, pipeEnds[1], &pid);
    ::close(pipeEnds[1]);
    if (refused != 0) {
        run.end("refused", refused);
        ::unlink(requestPath);
        return 1;
    }
    int reading = pipeEnds[0];
    ::fcntl(reading, F_SETFL, O_NONBLOCK);
    int limit = limitMs > 0 ? timerAfter(int(limitMs)) : -1;
    int grace = -1;
    // Why the run is being stopped, once it is.
    enum class Stop { None, Limit, Request, Signal } stopping = Stop::None;
    bool programRunning = true;
    bool descendantsLeft = true;

    const auto drain = [&] {
        char bytes[65536];
        for (;;) {
            const ssize_t n = ::read(reading, bytes, sizeof bytes);
            if (n > 0) {
                output.write(bytes, size_t(n));
                continue;
            }
            if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                ::close(reading);
                reading = -1;
                output.finish();
            }
            if (n < 0 && errno == EINTR)
                continue;
            return;
        }
    };
    const auto stop = [&](Stop why) {
        if (stopping != Stop::None)
            return;
        stopping = why;
        Descendants::signalAll(SIGTERM);
        grace = timerAfter(kGraceMs);
    };

    // A run ends with the program; the keeper stays while the output still
    // comes, or while what the program left is to be stopped at the limit.
    while (programRunning || reading >= 0 || (descendantsLeft && (limit >= 0 || grace >= 0))) {
        pollfd watched[5] = {{signals, POLLIN, 0}, {reading, POLLIN, 0}, {requests, POLLIN, 0},
                             {limit, POLLIN, 0}, {grace, POLLIN, 0}};
        if (::poll(watched, 5, -1) < 0 && errno != EINTR)
            break;
        if (watched[1].revents)
            drain();
        if (watched[0].revents) {
            signalfd_siginfo info;
            while (::read(signals, &info, sizeof info) == sizeof info) {
                if (info.ssi_signo != SIGCHLD)
                    stop(Stop::Signal);
            }
            int status = 0;
            pid_t ended;
            while ((ended = ::waitpid(-1, &status, WNOHANG)) > 0) {
                if (ended != pid)
                    continue;
                programRunning = false;
                // What it wrote before it ended belongs in the file before its end is told.
                if (reading >= 0)
                    drain();
                if (stopping == Stop::Limit)
                    run.end("stopped", limitMs);
                else if (stopping == Stop::Request)
                    run.end("requested", 0);
                else if (WIFSIGNALED(status))
                    run.end("killed", WTERMSIG(status));
                else
                    run.end("exited", WEXITSTATUS(status));
                ::unlink(requestPath);
                if (requests >= 0)
                    ::close(requests);
                requests = -1;
            }
            descendantsLeft = !(ended < 0 && errno == ECHILD);
        }
        if (requests >= 0 && watched[2].revents) {
            char bytes[64];
            if (::read(requests, bytes, sizeof bytes) > 0 && programRunning)
                stop(Stop::Request);
        }
        if (limit >= 0 && watched[3].revents) {
            ::close(limit);
            limit = -1;
            stop(Stop::Limit);
        }
        if (grace >= 0 && watched[4].revents) {
            ::close(grace);
            grace = -1;
            // Again, shortly, for what was started meanwhile, until nothing is left.
            if (Descendants::signalAll(SIGKILL) > 0)
                grace = timerAfter(100);
        }
    }
    return 0;
}
