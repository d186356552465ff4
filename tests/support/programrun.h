#pragma once

#include "testprogramdir.h"

#include <QProcess>
#include <QString>

// The real program, run from a test's own program directory with a runtime
// folder of its own, on the offscreen platform.
namespace ProgramRun {

// Copies the executable (with its keeper and the language file beside it) into the folder.
bool install(const TestProgramDir &dir);
void start(const TestProgramDir &dir, QProcess &program);
// SIGTERM; true when it ended normally with code 0 within `withinMs`.
bool stop(QProcess &program, int withinMs = 10000);
// What a start from a terminal said: its exit code and both outputs.
struct Said
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};
// Starts the program of `dir` with `arguments`, its runtime folder and the
// offscreen platform, `environment` added, and waits for its end.
Said command(const TestProgramDir &dir, const QStringList &arguments,
             const QProcessEnvironment &environment = {});

// A script that writes its parameters into `<name>.sh.ran` beside it, in one step.
QString writeJob(const TestProgramDir &dir, const QString &name);
// The name of today's journal file.
QString todaysJournal();

} // namespace ProgramRun
