#pragma once

#include "posixlaunch.h"

#include "platform/platform.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QObject;

// Runs kept by pendulix-run, the keeper of one run each: the program in a
// session of its own, its output kept, its limit enforced and its end
// recorded by a process that outlives us. What we know of a run is its
// file in the runs folder (see the keeper's runfile.h): locked while its
// keeper lives, moved into "ended/" with its end appended.
namespace Posix {

// Exec would refuse the file at once (no "#!" and no binary format we
// know, or an interpreter that is missing): said before the keeper starts,
// so a refused start reads as refused, not as a start that ended.
bool execWouldRefuse(const QByteArray &path);

// Starts `path` through `keeper`: the run file is made at `runFile` with
// `record` in it and locked, and the keeper holds it; `report` gets the
// run's end once, on the calling thread's event loop while `context` lives.
// NoRunFile when the file could not be made or locked (the caller may start
// the program without a keeper), Refused when the system would not start it.
enum class KeptStart { Started, Refused, NoRunFile };
KeptStart startKept(const QByteArray &keeper, const QByteArray &path, const QList<QByteArray> &arguments,
                    const ProgramLimits &limits, const QString &runFile, const QByteArray &record,
                    QObject *context, std::function<void(const Platform::TargetEvent &)> report);

// True while a keeper holds the run file.
bool runFileLocked(const QString &runFile);
// Asks the run's keeper to stop it; false when no keeper listens.
bool requestStop(const QString &runFile);

} // namespace Posix
