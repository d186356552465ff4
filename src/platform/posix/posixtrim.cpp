#include "posixtrim.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <malloc.h>
#include <sys/mman.h>

namespace Posix {

void trimOwnMemory()
{
    malloc_trim(0);
#ifdef MADV_PAGEOUT
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = maps.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || !fields.at(1).startsWith("rw"))
            continue;
        // Vsyscall and the like refuse advice; the kernel says so and we go on.
        if (fields.size() >= 6 && fields.at(5).startsWith('['))
            if (fields.at(5) != "[heap]" && fields.at(5) != "[stack]")
                continue;
        const QList<QByteArray> range = fields.at(0).split('-');
        bool okStart = false, okEnd = false;
        const quintptr start = range.value(0).toULongLong(&okStart, 16);
        const quintptr end = range.value(1).toULongLong(&okEnd, 16);
        if (okStart && okEnd && end > start)
            ::madvise(reinterpret_cast<void *>(start), end - start, MADV_PAGEOUT);
    }
#endif
}

} // namespace Posix
