#include "platform/win/wintrim.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::wstring ownExecutableName()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path);
    return full.substr(full.find_last_of(L"\\/") + 1);
}

// Taken before main: a library linked in would be loaded by then.
const bool psapiLoadedAtStart = GetModuleHandleW(L"psapi.dll") != nullptr;

DWORD trimmedProcess = 0;
int trimCalls = 0;

BOOL WINAPI recordTrim(HANDLE process)
{
    trimmedProcess = GetProcessId(process);
    ++trimCalls;
    return TRUE;
}

} // namespace

TEST(WorkingSetTrim, FindsItsOwnExecutableAndBindsThePsapiFunctionAtRunTime)
{
    EXPECT_FALSE(psapiLoadedAtStart);
    const Win::TrimFunctions &system = Win::TrimFunctions::system();
    ASSERT_NE(system.emptyWorkingSet, nullptr);
    ASSERT_NE(system.createSnapshot, nullptr);
    // Bound from the library loaded at run time, not linked in.
    const HMODULE psapi = GetModuleHandleW(L"psapi.dll");
    ASSERT_NE(psapi, nullptr);
    EXPECT_EQ(reinterpret_cast<void *>(system.emptyWorkingSet),
              reinterpret_cast<void *>(GetProcAddress(psapi, "EmptyWorkingSet")));

    const Win::TrimOutcome outcome = Win::trimWorkingSet(ownExecutableName());
    EXPECT_EQ(outcome.kind, Win::TrimOutcome::Trimmed);
    EXPECT_EQ(outcome.processId, GetCurrentProcessId());
}

TEST(WorkingSetTrim, CallsEmptyWorkingSetOnTheProcessFound)
{
    Win::TrimFunctions spy = Win::TrimFunctions::system();
    spy.emptyWorkingSet = recordTrim;
    trimCalls = 0;
    Win::trimWorkingSet(ownExecutableName(), spy);
    EXPECT_EQ(trimCalls, 1);
    EXPECT_EQ(trimmedProcess, GetCurrentProcessId());
}

// The name is compared whole and with its case: anything else does nothing.
TEST(WorkingSetTrim, DoesNothingSilentlyWhenTheNameIsNotFound)
{
    Win::TrimFunctions spy = Win::TrimFunctions::system();
    spy.emptyWorkingSet = recordTrim;
    trimCalls = 0;
    std::wstring upper = ownExecutableName();
    for (wchar_t &c : upper)
        c = wchar_t(towupper(c));
    const std::wstring name = ownExecutableName();
    for (const std::wstring &other : {upper, name.substr(0, name.size() - 1), std::wstring(L"Pendulix.exe")})
        EXPECT_EQ(Win::trimWorkingSet(other, spy).kind, Win::TrimOutcome::NotFound);
    EXPECT_EQ(trimCalls, 0);
}

TEST(WorkingSetTrim, MissingFunctionDoesNothing)
{
    Win::TrimFunctions missing = Win::TrimFunctions::system();
    missing.emptyWorkingSet = nullptr;
    EXPECT_EQ(Win::trimWorkingSet(ownExecutableName(), missing).kind,
              Win::TrimOutcome::Unavailable);
}
