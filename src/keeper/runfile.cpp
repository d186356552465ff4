#include "runfile.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A descriptor we were handed is the run file only when it is that file:
// one left open by whoever started our starter is not ours to write.
bool isFileAt(int fd, const std::string &path)
{
    struct stat held {}, named {};
    return fd >= 0 && ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

RunFile::RunFile(std::string path, int fd) : m_path(std::move(path)), m_fd(isFileAt(fd, m_path) ? fd : -1)
{
    if (m_fd < 0) {
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    // Ours alone: what it starts must not hold the lock past our end.
    if (m_fd >= 0)
        ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
}

std::string RunFile::requestPath() const
{
    const std::size_t dot = m_path.rfind(".run");
    return (dot == std::string::npos ? m_path : m_path.substr(0, dot)) + ".stop";
}

void RunFile::end(const char *kind, long number)
{
    if (m_fd < 0)
        return;
    char text[128];
    const int size = std::snprintf(text, sizeof text, "end %lld\nresult %s %ld\n",
                                   static_cast<long long>(std::time(nullptr)), kind, number);
    // Not synced: what reads it is Pendulix, on this machine, through the
    // same cache; a run in the middle of a crash has no end to record anyway.
    if (size > 0 && ::write(m_fd, text, std::size_t(size)) == size) {
        // Moved once whole: whoever finds it in "ended/" finds its end in it.
        const std::size_t slash = m_path.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string(".") : m_path.substr(0, slash);
        const std::string name = slash == std::string::npos ? m_path : m_path.substr(slash + 1);
        ::rename(m_path.c_str(), (folder + "/ended/" + name).c_str());
    }
}
