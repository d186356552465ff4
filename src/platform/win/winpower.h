#pragma once

namespace Win {

// A window message (a MSG) that tells of the machine's return from sleep:
// WM_POWERBROADCAST with PBT_APMRESUMEAUTOMATIC or PBT_APMRESUMESUSPEND.
bool isWakeMessage(const void *message);

} // namespace Win
