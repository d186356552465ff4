#include "wininstance.h"

#include <windows.h>

namespace Win {

bool holdNamedMutex(const char *name)
{
    // The last-error value is reset first: CreateMutexA leaves it alone on a
    // fresh creation, and a stale ERROR_ALREADY_EXISTS would end us.
    SetLastError(0);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    // A mutex that another instance made with rights we lack (it runs
    // elevated) is no handle, but it is there all the same.
    if (!mutex)
        return GetLastError() != ERROR_ACCESS_DENIED;
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

} // namespace Win
