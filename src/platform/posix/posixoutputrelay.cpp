#include "posixoutputrelay.h"

#include "posixspawn.h"

#include <fcntl.h>
#include <unistd.h>

namespace Posix {

namespace {

// head reads no more from a pipe than it writes, so wc counts exactly what
// was dropped. The file is made at once and goes again when nothing came.
const QByteArray kRelay = "head -c \"$2\" >> \"$1\"\n"
                          "n=$(($(wc -c)))\n"
                          "if [ -s \"$1\" ]; then\n"
                          "    [ \"$n\" -eq 0 ] || printf '%s%s%s' \"$3\" \"$n\" \"$4\" >> \"$1\"\n"
                          "else\n"
                          "    rm -f \"$1\"\n"
                          "fi\n";

} // namespace

OutputRelay startOutputRelay(const QByteArray &path, const OutputCut &cut)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    // Spawned, not forked from us: a copy of a large process, with its
    // other threads' locks, costs more than a small program started afresh.
    const pid_t pid = spawn("/bin/sh",
                            {"sh", "-c", kRelay, "sh", path, QByteArray::number(cut.kept), cut.noteBefore,
                             cut.noteAfter},
                            false, QByteArray(), -1, ends[0]);
    ::close(ends[0]);
    if (pid < 0) {
        ::close(ends[1]);
        return {};
    }
    return {pid, ends[1]};
}

} // namespace Posix
