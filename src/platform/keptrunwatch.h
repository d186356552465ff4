#pragma once

#include "platform.h"

#include <QList>
#include <QString>

#include <functional>

class QObject;

// The runs folder as both systems' keepers leave it: a run file holds the
// lines Pendulix wrote at the start; at the program's end its keeper appends
//   end SECONDS
//   result exited N | killed N | stopped MS | requested 0 | refused ERROR
// and moves it into "ended/", still holding the lock it took for its whole
// life. So an ended run is a file in "ended/", a run still going a locked
// file in the folder, and a keeper that was lost an unlocked one there.
// Only how a lock is tested and how a keeper is started are the system's.
namespace Platform::KeptRunWatch {

// True while a keeper holds the run file's lock.
using LockTest = bool (*)(const QString &runFile);
using Report = std::function<void(const TargetEvent &)>;

QString endedPath(const QString &runFile);
// Where a keeper listens for a stop, on systems that ask through a file.
QString requestPath(const QString &runFile);

// A run file's bytes; `stopAfterMinutes` names a stop at the limit as its
// entry does (0: from the limit the keeper recorded).
KeptRun parse(const QString &runFile, const QByteArray &bytes, int stopAfterMinutes = 0);

// The runs an earlier instance left: those still going, and those that
// ended since (their files stay until forget).
QList<KeptRun> find(const QString &folder, LockTest locked);

// A keeper of ours started for the run: its end is read from the folder
// as soon as it is there, or when keeperEnded says the keeper is gone.
void watchOwn(const QString &runFile, int stopAfterMinutes, QObject *context, Report report);
// Our keeper of the run has ended; `signal` ended it, 0 when none or not known.
void keeperEnded(const QString &runFile, int signal);
// A run found going, whose keeper is no child of ours: looked at every
// second, its end is found in the folder, or its lock found released.
void watchForeign(const QString &runFile, int stopAfterMinutes, LockTest locked, QObject *context,
                  Report report);

// The files of an ended run, once its end is recorded.
void forget(const QString &runFile);

} // namespace Platform::KeptRunWatch
