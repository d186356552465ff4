#include "keptoutput.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

namespace {

// The path comes as UTF-8. Made only when missing, so never through a link
// (a link is a name that exists); its access is the folder's, as for every
// file the program makes there.
int createOutput(const std::string &path)
{
    std::wstring name(path.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), name.data(),
                                           int(name.size()));
    name.resize(std::size_t(std::max(0, length)));
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE,
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
int createOutput(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // Whatever the umask took away or left.
    if (fd >= 0)
        ::fchmod(fd, 0600);
    return fd;
}

} // namespace
#endif

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
    m_fd = createOutput(m_path);
    m_failed = m_fd < 0;
    return !m_failed;
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
