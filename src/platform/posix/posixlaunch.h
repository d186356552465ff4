#pragma once

#include "posixoutputrelay.h"

#include <QByteArray>
#include <QList>

#include <functional>

class QObject;

// Starting what a schedule names: a program directly, anything else through
// the desktop's opener. Reports come on the event loop of the calling
// thread, never once `context` is gone.
namespace Posix {

// A regular file we may execute.
bool isExecutableFile(const QByteArray &path);

// How a program started directly ended: its exit code, or the signal that
// ended it.
struct ProgramEnd
{
    bool killed = false;
    int number = 0;
    // Ended after the time limit stopped it.
    bool stopped = false;
    // Its output went through a relay, which keeps its file cut.
    bool outputCut = false;
};

// What a program is started with beyond its arguments.
struct ProgramLimits
{
    // Stopped with its whole session this long after its start; 0: never.
    int stopAfterMs = 0;
    // Where its output and errors go; nowhere when empty.
    QByteArray output;
    // How that file is cut while it is written; not at all when `kept` is 0.
    OutputCut cut = {};
};

// Starts the program at `path` with `arguments` after its own name. False
// when the system refused; otherwise `ended` follows when it ends.
bool startProgram(const QByteArray &path, const QList<QByteArray> &arguments, QObject *context,
                  std::function<void(const ProgramEnd &)> ended, const ProgramLimits &limits = {});

// Ends the session `leader` leads: SIGTERM to its process group, SIGKILL
// `graceMs` later to what is left of it.
void stopSession(pid_t leader, QObject *context, int graceMs);

// Hands a file to xdg-open. `decided` comes once, possibly before this
// returns: false when the opener could not start or said that nothing opens
// the file, true when it took it.
void openDocument(const QByteArray &path, QObject *context,
                  std::function<void(bool opened)> decided);

// Opens the compiled help with its viewer where the desktop has one, else the
// HTML pages in the browser; without waiting and without reporting back.
void openHelp(const QByteArray &compiledHelp, const QByteArray &htmlIndex, std::function<void()> unavailable);

} // namespace Posix
