#include "platform/win/wininstance.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct Events
{
    HANDLE ready;
    HANDLE release;
    explicit Events(const std::wstring &tag)
        : ready(CreateEventW(nullptr, TRUE, FALSE, (tag + L"-ready").c_str())),
          release(CreateEventW(nullptr, TRUE, FALSE, (tag + L"-release").c_str()))
    {
    }
    ~Events()
    {
        CloseHandle(ready);
        CloseHandle(release);
    }
};

} // namespace

// The program's start as two processes see it: the mutex "Pendulix" of the
// first makes the second end with 0; once the first has ended, the name is
// free for the next.
TEST(SingleInstance, SecondStartEndsWithZeroWhileTheFirstHolds)
{
    Events first(L"first");
    void *firstProcess = Support::startProbe(L"hold first");
    ASSERT_NE(firstProcess, nullptr);
    ASSERT_EQ(WaitForSingleObject(first.ready, 30000), WAIT_OBJECT_0);

    void *secondProcess = Support::startProbe(L"hold second");
    ASSERT_NE(secondProcess, nullptr);
    EXPECT_EQ(Support::waitForEnd(secondProcess, 30000), 0);

    SetEvent(first.release);
    EXPECT_EQ(Support::waitForEnd(firstProcess, 30000), 7);

    Events third(L"third");
    void *thirdProcess = Support::startProbe(L"hold third");
    ASSERT_NE(thirdProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(third.ready, 30000), WAIT_OBJECT_0);
    SetEvent(third.release);
    EXPECT_EQ(Support::waitForEnd(thirdProcess, 30000), 7);
}

TEST(SingleInstance, StaleLastErrorDoesNotRefuseAFreshName)
{
    // A call before it may leave ERROR_ALREADY_EXISTS behind; a fresh
    // creation does not clear it by itself.
    SetLastError(ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(Win::holdNamedMutex("Pendulix-stale-error"));
    EXPECT_FALSE(Win::holdNamedMutex("Pendulix-stale-error"));
}
