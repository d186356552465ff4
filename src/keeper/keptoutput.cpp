#include "keptoutput.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

namespace {

// The path comes as UTF-8. Made only when missing, so never through a link
// (a link is a name that exists); its access is the folder's, as for every
// file the program makes there.
int createOutput(const char *path)
{
    wchar_t name[4096];
    if (MultiByteToWideChar(CP_UTF8, 0, path, -1, name, int(sizeof name / sizeof *name)) <= 0)
        return -1;
    const HANDLE file = CreateFileW(name, GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        CloseHandle(file);
    return fd;
}

} // namespace
#else
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Never through a link, never onto anything but a file of our own making.
int createOutput(const char *path)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // Whatever the umask took away or left.
    if (fd >= 0)
        ::fchmod(fd, 0600);
    return fd;
}

} // namespace
#endif

namespace {

bool writeAll(int fd, const char *bytes, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

bool copied(char *to, size_t room, const char *text)
{
    return snprintf(to, room, "%s", text ? text : "") < int(room);
}

} // namespace

KeptOutput::KeptOutput(const char *path, int64_t kept, const char *noteBefore, const char *noteAfter)
    : m_kept(kept)
{
    m_failed = !copied(m_path, sizeof m_path, path);
    copied(m_noteBefore, sizeof m_noteBefore, noteBefore);
    copied(m_noteAfter, sizeof m_noteAfter, noteAfter);
}

KeptOutput::~KeptOutput()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool KeptOutput::open()
{
    if (m_fd >= 0)
        return true;
    if (m_failed || m_path[0] == '\0')
        return false;
    m_fd = createOutput(m_path);
    m_failed = m_fd < 0;
    return !m_failed;
}

void KeptOutput::write(const char *bytes, size_t size)
{
    const int64_t left = m_kept - m_written;
    const size_t keep = left <= 0 ? 0 : (uint64_t(left) < size ? size_t(left) : size);
    if (keep > 0 && open() && writeAll(m_fd, bytes, keep))
        m_written += int64_t(keep);
    else
        m_dropped += int64_t(keep);
    m_dropped += int64_t(size - keep);
}

void KeptOutput::finish()
{
    if (m_dropped == 0 || !open())
        return;
    char count[24];
    const int digits = snprintf(count, sizeof count, "%lld", static_cast<long long>(m_dropped));
    writeAll(m_fd, m_noteBefore, strlen(m_noteBefore));
    writeAll(m_fd, count, size_t(digits));
    writeAll(m_fd, m_noteAfter, strlen(m_noteAfter));
    m_dropped = 0;
}
