#include "wintime.h"

#include <windows.h>

#include <cwchar>

namespace Win {

std::wstring longTimeText(int hour, int minute, int second)
{
    SYSTEMTIME time{};
    time.wHour = WORD(hour);
    time.wMinute = WORD(minute);
    time.wSecond = WORD(second);
    wchar_t buffer[128];
    const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, buffer, 128);
    if (length > 0)
        return std::wstring(buffer, std::size_t(length - 1));
    std::swprintf(buffer, 128, L"%02d:%02d:%02d", hour, minute, second);
    return buffer;
}

} // namespace Win
