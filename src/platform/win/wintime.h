#pragma once

#include <string>

namespace Win {

// A time of day in the user's long time format (hours, minutes, seconds),
// without a time zone; "HH:mm:ss" when the system gives nothing.
std::wstring longTimeText(int hour, int minute, int second);

} // namespace Win
