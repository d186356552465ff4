#pragma once

#include <QByteArray>
#include <QList>

#include <sys/types.h>

namespace Posix {

// Starts `program` with `arguments` (the first one its own name) in a
// session of its own, with default signal handling and none of our
// descriptors beyond the standard three; through the PATH when `searchPath`
// is set. With an `output` file, its standard output and error go to the
// end of that file (created when missing) and its standard input is empty;
// with an `outputPipe` instead, they go to that pipe. With an `inputPipe`,
// it reads that pipe and writes nowhere. With none of these it reads an
// empty input and writes nowhere.
// The child's process id, or -1 when the system refused the start.
// A `handed` descriptor is its descriptor 3.
pid_t spawn(const QByteArray &program, const QList<QByteArray> &arguments, bool searchPath,
            const QByteArray &output = QByteArray(), int outputPipe = -1, int inputPipe = -1, int handed = -1);

} // namespace Posix
