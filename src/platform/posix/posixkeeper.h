#pragma once

#include "posixlaunch.h"

#include <QByteArray>
#include <QList>

#include <functional>

class QObject;

// Runs kept by pendulix-run, the keeper of one run each: the program in a
// session of its own, its output kept, its limit enforced and its end
// recorded by a process that outlives us. What we know of a run is its
// file in the runs folder (see the keeper's runfile.h): locked while its
// keeper lives, moved into "ended/" with its end appended.
namespace Posix {

// How a kept run ended.
struct KeptEnd
{
    enum Kind { Exited, Killed, Stopped, Requested, Refused, Lost };
    Kind kind = Lost;
    // The exit code, the signal, the limit in ms, the system's error; for
    // Lost, the keeper's own wait status when we saw it end, else -1.
    int number = 0;
    // Seconds since the epoch; 0 when it is not known (a keeper lost).
    qint64 at = 0;
};

// A run file and what it says.
struct KeptRunFile
{
    QByteArray path; // in the runs folder, "<id>.run", as started
    QByteArray record; // the lines Pendulix wrote at its start
    bool running = false;
    KeptEnd end = {};
};

// Exec would refuse the file at once (no "#!" and no binary format we
// know, or an interpreter that is missing): said before the keeper starts,
// so a refused start reads as refused, not as a start that ended.
bool execWouldRefuse(const QByteArray &path);

// Starts `path` through `keeper`: the run file is made at `runFile` with
// `record` in it and locked, and the keeper holds it; `ended` comes once.
// NoRunFile when the file could not be made or locked (the caller may start
// the program without a keeper), Refused when the system would not start it.
enum class KeptStart { Started, Refused, NoRunFile };
KeptStart startKept(const QByteArray &keeper, const QByteArray &path, const QList<QByteArray> &arguments,
               const ProgramLimits &limits, const QByteArray &runFile, const QByteArray &record,
               QObject *context, std::function<void(const KeptEnd &)> ended);

// The runs of the folder an earlier instance left: those still going, and
// those that ended since (their files stay until forgetRun).
QList<KeptRunFile> keptRuns(const QByteArray &folder);
// Follows a run found going: `ended` comes within a second or two of its end.
void watchRun(const QByteArray &runFile, QObject *context, std::function<void(const KeptEnd &)> ended);
// An ended run's file, once recorded.
void forgetRun(const QByteArray &runFile);
// Asks the run's keeper to stop it; false when no keeper listens.
bool requestStop(const QByteArray &runFile);

} // namespace Posix
