#include "platform/win/winpower.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// The messages a window's queue gets, as the application's filter sees them.
MSG posted(WPARAM event)
{
    MSG msg{};
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(PostMessageW(window, WM_POWERBROADCAST, event, 0));
    EXPECT_TRUE(PeekMessageW(&msg, window, 0, 0, PM_REMOVE));
    DestroyWindow(window);
    return msg;
}

} // namespace

TEST(WakeFromSleep, OnlyTheResumeNoticesCount)
{
    const MSG automatic = posted(PBT_APMRESUMEAUTOMATIC);
    EXPECT_TRUE(Win::isWakeMessage(&automatic));
    const MSG byUser = posted(PBT_APMRESUMESUSPEND);
    EXPECT_TRUE(Win::isWakeMessage(&byUser));
    const MSG sleeping = posted(PBT_APMSUSPEND);
    EXPECT_FALSE(Win::isWakeMessage(&sleeping));
    MSG other = automatic;
    other.message = WM_TIMER;
    EXPECT_FALSE(Win::isWakeMessage(&other));
    EXPECT_FALSE(Win::isWakeMessage(nullptr));
}
