#include "testprogramdir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

TestProgramDir::TestProgramDir() = default;

QString TestProgramDir::path() const
{
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

void TestProgramDir::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(this->file(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray TestProgramDir::read(const QString &name) const
{
    QFile file(this->file(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestProgramDir::setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(time, QFileDevice::FileModificationTime);
}

namespace {
const passwd *nobody()
{
    return ::getpwnam("nobody");
}
} // namespace

bool asUnprivilegedUser(const std::function<bool()> &work)
{
    if (::geteuid() != 0)
        return work();
    const passwd *user = nobody();
    if (!user)
        return false;
    const uid_t uid = user->pw_uid;
    const gid_t gid = user->pw_gid;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void giveToUnprivilegedUser(const QString &path)
{
    const passwd *user = nobody();
    if (::geteuid() != 0 || !user)
        return;
    const auto give = [user](const QString &p) {
        [[maybe_unused]] const int r =
            ::lchown(QFile::encodeName(p).constData(), user->pw_uid, user->pw_gid);
    };
    give(path);
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        give(it.next());
}
