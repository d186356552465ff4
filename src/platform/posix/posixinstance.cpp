#include "posixinstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Posix {

namespace {

// A folder only this user can write into: a lock file there cannot be made,
// held or opened up by anyone else.
bool isPrivateFolder(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

} // namespace

QByteArray lockFolder(const QByteArray &name, const QList<QByteArray> &bases)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    const QByteArray own = name + '-' + QByteArray::number(::getuid());
    for (const QByteArray &base : bases) {
        const QByteArray folder = base + '/' + own;
        ::mkdir(base.constData(), 0700);
        ::mkdir(folder.constData(), 0700);
        if (isPrivateFolder(folder))
            return folder;
    }
    return {};
}

bool holdLock(const QByteArray &path)
{
    // flock() rather than a file that merely exists: the kernel drops the lock
    // when the process dies, so a crashed instance never blocks the next start.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true; // fd stays open, and locked, until the process ends
}

} // namespace Posix
