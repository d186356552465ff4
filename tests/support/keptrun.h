#pragma once

#include "testprogramdir.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// What the tests of kept runs share: the keeper the build made, scripts
// for it to start, and what it leaves in a runs folder.
namespace KeptRun {

// The pendulix-run of the build.
QString keeper();
// An executable shell script of `body` at `path`.
bool writeScript(const QString &path, const QByteArray &body);
// The runs folder of a program directory, made as the program makes it.
QString runsFolder(const TestProgramDir &dir);
// The arguments of the keeper for `program` started with its run file
// `runFile`, its output kept (1 MiB) in `output` (none when empty), stopped
// `limitMs` after its start (0: never).
QStringList arguments(const QString &runFile, const QString &output, int limitMs, const QStringList &program);
// What the run file says once the run ended and it moved into "ended/";
// empty when that did not happen within `withinMs`.
QByteArray awaitEnd(const QString &runFile, int withinMs);
// The process number a script wrote into `path`, once it did (0 otherwise).
pid_t awaitPid(const QString &path, int withinMs = 10000);
// The keeper process that holds `runFile`, found by its arguments; 0 when none.
pid_t keeperOf(const QString &runFile);
// The first run file of a runs folder, once there is one.
QString awaitRunFile(const QString &runsFolder, int withinMs = 10000);
// The permission bits of a file or folder.
int modeOf(const QString &path);
// Ended within `withinMs`, or before.
bool finished(QProcess &process, int withinMs);
// The process runs `command` (its /proc cmdline, the arguments joined by blanks).
bool runs(pid_t pid, const QByteArray &command);

} // namespace KeptRun
