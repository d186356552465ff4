#include "posixtime.h"

#include <ctime>
#include <langinfo.h>

namespace Posix {

QByteArray longTimeText(int hour, int minute, int second)
{
    QByteArray format = nl_langinfo(T_FMT);
    // A long time format that names the zone would give it in every row.
    for (const char *zone : {" %Z", "%Z", " %z", "%z"})
        format.replace(zone, "");
    if (format.isEmpty())
        format = "%H:%M:%S";
    std::tm tm{};
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, format.constData(), &tm);
    return QByteArray(buffer, qsizetype(n));
}

} // namespace Posix
