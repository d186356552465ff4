#include "wininstance.h"

#include <windows.h>

namespace Win {

bool holdNamedMutex(const char *name)
{
    // The last-error value is reset first: CreateMutexA leaves it alone on a
    // fresh creation, and a stale ERROR_ALREADY_EXISTS would end us.
    SetLastError(0);
    CreateMutexA(nullptr, FALSE, name);
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

} // namespace Win
