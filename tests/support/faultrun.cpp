#include "faultrun.h"

#include <QFile>
#include <QString>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace FaultRun {

void asNobody(QProcess &program, std::function<void()> more)
{
    const passwd *nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    program.setChildProcessModifier([uid, gid, more] {
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
            ::_exit(3);
        if (more)
            more();
    });
}

bool endsWithWholeLine(const QByteArray &bytes)
{
    return bytes.isEmpty() || bytes.endsWith("\r\n");
}

bool processGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray fields = stat.readAll();
    const qsizetype state = fields.lastIndexOf(')') + 2;
    return state < fields.size() && fields.at(state) == 'Z';
}

} // namespace FaultRun
