#include "programrun.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ProgramRun {

bool install(const TestProgramDir &dir)
{
    const QString executable = QStringLiteral(PENDULIX_EXECUTABLE);
    QDir(dir.path()).mkdir(QStringLiteral("run"));
    QFile::setPermissions(dir.file(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString languages = QFileInfo(executable).dir().filePath(QStringLiteral("sourcelang.ini"));
    QFile::copy(languages, dir.file(QStringLiteral("sourcelang.ini")));
    // The keeper of its runs lives beside it.
    const QString keeper = QFileInfo(executable).dir().filePath(QStringLiteral("pendulix-run"));
    return QFile::copy(keeper, dir.file(QStringLiteral("pendulix-run"))) &&
           QFile::copy(executable, dir.file(QStringLiteral("Pendulix")));
}

void start(const TestProgramDir &dir, QProcess &program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(dir.file(QStringLiteral("Pendulix")), {});
    program.waitForStarted();
}

Said command(const TestProgramDir &dir, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.file(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(environment);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(dir.file(QStringLiteral("Pendulix")), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

bool stop(QProcess &program, int withinMs)
{
    if (program.state() != QProcess::Running)
        return false;
    program.terminate();
    return program.waitForFinished(withinMs) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == 0;
}

QString writeJob(const TestProgramDir &dir, const QString &name)
{
    const QString job = dir.file(name + QStringLiteral(".sh"));
    QFile script(job);
    if (!script.open(QIODevice::WriteOnly))
        return QString();
    script.write("#!/bin/sh\necho \"$@\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.ran\"\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadOther | QFileDevice::ExeOther);
    return job;
}

QString todaysJournal()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
}

} // namespace ProgramRun
