#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace Posix {

// What a run's output is cut to, and the note that ends a cut file:
// `noteBefore`, the number of bytes dropped, `noteAfter`.
struct OutputCut
{
    qint64 kept = 0;
    QByteArray noteBefore;
    QByteArray noteAfter;
};

// A small shell program of its own session that reads what a program
// writes to the write end it gives, keeps the first `cut.kept` bytes in
// `path`, reads the rest without keeping it, so that the program never
// waits on a full pipe, and ends the file with the note once the last
// writer is gone; a silent run leaves no file. It holds the only read end,
// so nothing of ours stays open per run; it outlives us, so the file stays
// bounded whether we run or not.
struct OutputRelay
{
    pid_t pid = -1;
    // The write end, close-on-exec, for the program's output and errors;
    // the caller closes it once the program has it.
    int input = -1;
};
// pid -1 when the system would not make the pipe or the process.
OutputRelay startOutputRelay(const QByteArray &path, const OutputCut &cut);

} // namespace Posix
