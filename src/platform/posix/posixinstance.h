#pragma once

#include <QByteArray>
#include <QList>

namespace Posix {

// The folder the single-instance lock goes in: the runtime folder of the
// session, else a folder `name`-uid of our own in the first of `bases` that
// gives one only this user can write into. Empty when there is none.
QByteArray lockFolder(const QByteArray &name, const QList<QByteArray> &bases);

// Locks the file at `path`, made when missing, for the rest of the process.
// False only when another process holds it: a file that cannot be opened
// counts as held by us, as two instances are better than none.
bool holdLock(const QByteArray &path);

} // namespace Posix
