#include "keptoutput.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool writeAll(int fd, const char *bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= std::size_t(n);
    }
    return true;
}

} // namespace

KeptOutput::KeptOutput(std::string path, std::int64_t kept, std::string noteBefore, std::string noteAfter)
    : m_path(std::move(path)), m_kept(kept), m_noteBefore(std::move(noteBefore)),
      m_noteAfter(std::move(noteAfter))
{
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
    if (m_failed || m_path.empty())
        return false;
    // Never through a link, never onto anything but a file of our own making.
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_failed = true;
        return false;
    }
    // Whatever the umask took away or left.
    ::fchmod(m_fd, 0600);
    return true;
}

void KeptOutput::write(const char *bytes, std::size_t size)
{
    const std::size_t room = std::size_t(std::max<std::int64_t>(0, m_kept - m_written));
    const std::size_t keep = std::min(room, size);
    if (keep > 0 && open() && writeAll(m_fd, bytes, keep))
        m_written += std::int64_t(keep);
    else
        m_dropped += std::int64_t(keep);
    m_dropped += std::int64_t(size - keep);
}

void KeptOutput::finish()
{
    if (m_dropped == 0 || !open())
        return;
    const std::string note = m_noteBefore + std::to_string(m_dropped) + m_noteAfter;
    writeAll(m_fd, note.data(), note.size());
    m_dropped = 0;
}
