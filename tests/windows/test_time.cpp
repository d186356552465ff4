#include "platform/win/wintime.h"

#include <gtest/gtest.h>
#include <windows.h>

// The user's long time format holds hours, minutes and seconds, whatever
// its order, separators or 12/24-hour clock.
TEST(LongTimeFormat, HoldsHoursMinutesAndSeconds)
{
    // 16 reads "16" or "4", digits the minutes and seconds do not hold.
    const std::wstring afternoon = Win::longTimeText(16, 37, 52);
    EXPECT_NE(afternoon.find(L"37"), std::wstring::npos) << afternoon.c_str();
    EXPECT_NE(afternoon.find(L"52"), std::wstring::npos);
    EXPECT_TRUE(afternoon.find(L"16") != std::wstring::npos || afternoon.find(L'4') != std::wstring::npos);

    const std::wstring morning = Win::longTimeText(9, 5, 3);
    EXPECT_NE(morning.find(L"05"), std::wstring::npos) << morning.c_str();
    EXPECT_NE(morning.find(L"03"), std::wstring::npos);
    EXPECT_NE(morning.find(L'9'), std::wstring::npos);
    EXPECT_NE(Win::longTimeText(9, 5, 4), morning);
}

// The format is the user's: once they set their own, it is the one used.
TEST(LongTimeFormat, FollowsTheUsersOwnSetting)
{
    wchar_t saved[80] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved, 80);
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, L"HH'h'mm'm'ss's'"));
    const std::wstring text = Win::longTimeText(7, 5, 9);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved);
    EXPECT_EQ(text, L"07h05m09s");
}
