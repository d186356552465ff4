#include "posixfiles.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Posix {

bool isRegularFile(const QByteArray &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isOtherThanRegularFile(const QByteArray &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && !S_ISREG(info.st_mode);
}

std::FILE *openFile(const QByteArray &path, const char *mode)
{
    const QByteArray how(mode);
    int flags = O_CLOEXEC | O_NONBLOCK;
    if (how.startsWith('r'))
        flags |= O_RDONLY;
    else if (how.startsWith('w'))
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
    else
        flags |= O_WRONLY | O_CREAT | O_APPEND;
    if (how.contains('x'))
        flags |= O_EXCL;
    errno = 0;
    // Not blocking: a pipe would otherwise hold the open until someone writes
    // to it. Truncating is left until we know it is a regular file.
    // A file we make is its user's only, whatever the umask: journals and
    // records name every target, web addresses with their queries. One that
    // exists keeps its mode.
    int fd = (flags & O_CREAT) && !(flags & O_EXCL) ? ::open(path.constData(), flags & ~(O_TRUNC | O_CREAT)) : -1;
    if (fd < 0 && (!(flags & O_CREAT) || (flags & O_EXCL) || errno == ENOENT)) {
        fd = ::open(path.constData(), (flags & ~O_TRUNC) | ((flags & O_CREAT) ? O_EXCL : 0), 0600);
        if (fd >= 0 && (flags & O_CREAT))
            ::fchmod(fd, 0600);
    }
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EACCES;
        return nullptr;
    }
    if (((flags & O_TRUNC) && ::ftruncate(fd, 0) != 0) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE *file = ::fdopen(fd, how.startsWith('r') ? "rb" : how.startsWith('w') ? "wb" : "ab");
    if (!file) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

void copyPermissions(std::FILE *file, const QByteArray &reference)
{
    struct stat info {};
    if (::stat(reference.constData(), &info) == 0)
        ::fchmod(fileno(file), info.st_mode & 07777);
}

QByteArray resolvedPath(const QByteArray &path)
{
    char *resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return {};
    const QByteArray target(resolved);
    std::free(resolved);
    return target;
}

bool truncateFile(std::FILE *file, qint64 size)
{
    std::clearerr(file);
    return ::ftruncate(fileno(file), off_t(size)) == 0;
}

qint64 freeFileSpace(const QByteArray &path, qint64 from)
{
    // Never a link put in its place, nor a pipe that would hold the open.
    const int fd = ::open(path.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    qint64 size = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        size = info.st_size;
        if (size > from &&
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(from), off_t(size - from)) != 0)
            size = -1;
    }
    ::close(fd);
    return size;
}

bool syncFile(std::FILE *file)
{
    return std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
}

bool replaceFile(const QByteArray &from, const QByteArray &to)
{
    return std::rename(from.constData(), to.constData()) == 0;
}

int lastFileErrorCode()
{
    switch (errno) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
        return 3;
    case EMFILE:
    case ENFILE:
        return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    // What Windows says of a folder, a pipe or a device opened as a file.
    case EISDIR:
    case ENXIO:
    case ELOOP:
        return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 101;
    default:
        return errno;
    }
}

} // namespace Posix
