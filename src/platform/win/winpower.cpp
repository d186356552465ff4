#include "winpower.h"

#include <windows.h>

namespace Win {

bool isWakeMessage(const void *message)
{
    const MSG *msg = static_cast<const MSG *>(message);
    // Automatic comes on every wake; the second one only when a user is there.
    return msg && msg->message == WM_POWERBROADCAST &&
           (msg->wParam == PBT_APMRESUMEAUTOMATIC || msg->wParam == PBT_APMRESUMESUSPEND);
}

} // namespace Win
