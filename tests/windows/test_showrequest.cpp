#include "platform/win/winshowrequest.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// Each test its own program name: a listener another test left cannot answer.
struct CountingListener
{
    int shown = 0;
    DWORD thread = 0;
    Win::ShowRequestListener listener;
    explicit CountingListener(const std::wstring &name)
        : listener(name, [this] {
              ++shown;
              thread = GetCurrentThreadId();
          })
    {
    }
};

} // namespace

// A second start, another process, finds the window and asks once; the
// request is heard once, on the thread that listens, when its loop runs.
TEST(ShowRequest, SecondStartIsHeardOnceOnTheListeningThread)
{
    CountingListener running(L"PendulixShowOnce");
    ASSERT_TRUE(running.listener.listening());

    void *second = Support::startProbe(L"show PendulixShowOnce");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Support::waitForEndDispatching(second, 30000), 0);
    EXPECT_EQ(running.shown, 1);
    EXPECT_EQ(running.thread, GetCurrentThreadId());
}

TEST(ShowRequest, NoRunningInstanceIsNotFound)
{
    void *second = Support::startProbe(L"show PendulixShowNobody");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Support::waitForEnd(second, 30000), 1);

    // A listener that has gone leaves no window behind.
    {
        CountingListener gone(L"PendulixShowGone");
        ASSERT_TRUE(gone.listener.listening());
        EXPECT_TRUE(Win::askToShow(L"PendulixShowGone"));
    }
    EXPECT_FALSE(Win::askToShow(L"PendulixShowGone"));
}

// Whatever else reaches the window shows nothing, and closing it from
// outside does not end the listening.
TEST(ShowRequest, OtherMessagesShowNothing)
{
    CountingListener running(L"PendulixShowOthers");
    ASSERT_TRUE(running.listener.listening());
    const HWND window = FindWindowExW(
        HWND_MESSAGE, nullptr, Win::showRequestClass(L"PendulixShowOthers").c_str(), nullptr);
    ASSERT_NE(window, nullptr);

    for (const UINT other : {UINT(WM_USER), UINT(WM_APP), UINT(Win::kShowRequestMessage + 1),
                             UINT(WM_COMMAND), UINT(WM_CLOSE)})
        ASSERT_TRUE(PostMessageW(window, other, 0, 0));
    Support::dispatchPending();
    EXPECT_EQ(running.shown, 0);

    void *second = Support::startProbe(L"show PendulixShowOthers");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Support::waitForEndDispatching(second, 30000), 0);
    EXPECT_EQ(running.shown, 1);
}
