#include "keptrun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

namespace KeptRun {

QString keeper()
{
    return QStringLiteral(PENDULIX_KEEPER);
}

bool writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
        return false;
    file.close();
    return file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString runsFolder(const TestProgramDir &dir)
{
    const QString folder = dir.file(QStringLiteral("runs"));
    QDir().mkpath(folder + QStringLiteral("/ended"));
    return folder;
}

QStringList arguments(const QString &runFile, const QString &output, int limitMs, const QStringList &program)
{
    return QStringList{runFile, output, QString::number(1 << 20), QStringLiteral("\n["),
                       QStringLiteral(" octets de sortie non conservés]\n"), QString::number(limitMs)} +
           program;
}

QByteArray awaitEnd(const QString &runFile, int withinMs)
{
    const QFileInfo run(runFile);
    const QString ended = run.path() + QStringLiteral("/ended/") + run.fileName();
    QDeadlineTimer deadline(withinMs);
    while (!QFileInfo::exists(ended) && !deadline.hasExpired())
        QTest::qWait(20);
    QFile file(ended);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

pid_t awaitPid(const QString &path, int withinMs)
{
    QDeadlineTimer deadline(withinMs);
    for (;;) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll();
            if (text.endsWith('\n'))
                return pid_t(text.trimmed().toInt());
        }
        if (deadline.hasExpired())
            return 0;
        QTest::qWait(20);
    }
}

pid_t keeperOf(const QString &runFile)
{
    const QByteArray wanted = QFile::encodeName(keeper()) + '\0' + QFile::encodeName(runFile) + '\0';
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = pid_t(entry.toInt(&number));
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (number && file.open(QIODevice::ReadOnly) && file.readAll().startsWith(wanted))
            return pid;
    }
    return 0;
}

QString awaitRunFile(const QString &runsFolder, int withinMs)
{
    QDeadlineTimer deadline(withinMs);
    for (;;) {
        const QStringList runs = QDir(runsFolder).entryList({QStringLiteral("*.run")}, QDir::Files);
        if (!runs.isEmpty())
            return runsFolder + QLatin1Char('/') + runs.first();
        if (deadline.hasExpired())
            return QString();
        QTest::qWait(20);
    }
}

int modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

bool finished(QProcess &process, int withinMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(withinMs);
}

bool runs(pid_t pid, const QByteArray &command)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray line = file.readAll();
    line.replace('\0', ' ');
    return line.trimmed() == command;
}

} // namespace KeptRun
