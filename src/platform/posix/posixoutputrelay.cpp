#include "posixoutputrelay.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Posix {

namespace {

// Everything below runs in the forked relay, a copy of a process with other
// threads: only calls that are safe after fork, no allocation.

void writeAll(int fd, const char *bytes, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        size -= written;
    }
}

[[noreturn]] void relay(int input, const char *path, const OutputCut &cut)
{
    char buffer[64 * 1024];
    int file = -1;
    qint64 kept = 0;
    qint64 dropped = 0;
    for (;;) {
        const ssize_t got = ::read(input, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const qint64 keep = std::min<qint64>(got, cut.kept - kept);
        if (keep > 0) {
            if (file < 0)
                file = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
            if (file >= 0)
                writeAll(file, buffer, keep);
            kept += keep;
        }
        dropped += got - keep;
    }
    if (file >= 0 && dropped > 0) {
        char digits[24];
        char *first = digits + sizeof digits;
        for (qint64 left = dropped; left > 0; left /= 10)
            *--first = char('0' + left % 10);
        writeAll(file, cut.noteBefore.constData(), cut.noteBefore.size());
        writeAll(file, first, digits + sizeof digits - first);
        writeAll(file, cut.noteAfter.constData(), cut.noteAfter.size());
    }
    ::_exit(0);
}

} // namespace

OutputRelay startOutputRelay(const QByteArray &path, const OutputCut &cut)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Signals as a new program has them: our handlers are no part of it.
        struct sigaction byDefault {};
        byDefault.sa_handler = SIG_DFL;
        for (int signal = 1; signal < NSIG; ++signal)
            ::sigaction(signal, &byDefault, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // Neither our terminal nor a stopped program's group takes it along.
        ::setsid();
        ::dup2(ends[0], 0);
        // None of our descriptors: a lock or a socket kept open by the relay
        // would outlive us. The write end goes too, or it would never see the end.
        if (::close_range(1, ~0U, 0) != 0) {
            for (int fd = 1; fd < 1024; ++fd)
                ::close(fd);
        }
        relay(0, path.constData(), cut);
    }
    ::close(ends[0]);
    if (pid < 0) {
        ::close(ends[1]);
        return {};
    }
    return {pid, ends[1]};
}

} // namespace Posix
