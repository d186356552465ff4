#include "runfile.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// A descriptor we were handed is the run file only when it is that file:
// one left open by whoever started our starter is not ours to write.
bool isFileAt(int fd, const char *path)
{
    struct stat held {}, named {};
    return fd >= 0 && ::fstat(fd, &held) == 0 && ::lstat(path, &named) == 0 && S_ISREG(named.st_mode) &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

RunFile::RunFile(const char *path, int fd) : m_path(path), m_fd(isFileAt(fd, path) ? fd : -1)
{
    const char *dot = strstr(path, ".run");
    while (dot && strstr(dot + 1, ".run"))
        dot = strstr(dot + 1, ".run");
    const int stem = dot ? int(dot - path) : int(strlen(path));
    if (snprintf(m_requestPath, sizeof m_requestPath, "%.*s.stop", stem, path) >= int(sizeof m_requestPath))
        m_requestPath[0] = '\0';
    if (m_fd < 0) {
        m_fd = ::open(m_path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    // Ours alone: what it starts must not hold the lock past our end.
    if (m_fd >= 0)
        ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
}

void RunFile::end(const char *kind, long number)
{
    if (m_fd < 0)
        return;
    char text[128];
    const int size = snprintf(text, sizeof text, "end %lld\nresult %s %ld\n",
                              static_cast<long long>(time(nullptr)), kind, number);
    // Not synced: what reads it is Pendulix, on this machine, through the
    // same cache; a run in the middle of a crash has no end to record anyway.
    if (size > 0 && ::write(m_fd, text, size_t(size)) == size) {
        // Moved once whole: whoever finds it in "ended/" finds its end in it.
        const char *slash = strrchr(m_path, '/');
        char ended[4096];
        const int length = slash ? snprintf(ended, sizeof ended, "%.*s/ended/%s", int(slash - m_path), m_path, slash + 1)
                                 : snprintf(ended, sizeof ended, "./ended/%s", m_path);
        if (length > 0 && length < int(sizeof ended))
            ::rename(m_path, ended);
    }
}
