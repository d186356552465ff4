#pragma once

#include <QByteArray>

namespace Posix {

// A time of day in the locale's time format (nl_langinfo T_FMT), without a
// time zone, in the locale's encoding; "%H:%M:%S" when the locale gives none.
QByteArray longTimeText(int hour, int minute, int second);

} // namespace Posix
