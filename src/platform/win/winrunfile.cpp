#include "winrunfile.h"

#include <windows.h>

#include <cwchar>

namespace Win {

namespace {

constexpr DWORD kRunByteLow = 0;
constexpr DWORD kRunByteHigh = DWORD(1) << 30; // 2^62

} // namespace

bool lockRunByte(void *file, bool exclusive)
{
    OVERLAPPED where{};
    where.Offset = kRunByteLow;
    where.OffsetHigh = kRunByteHigh;
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(static_cast<HANDLE>(file), flags, 0, 1, 0, &where);
}

void unlockRunByte(void *file)
{
    OVERLAPPED where{};
    where.Offset = kRunByteLow;
    where.OffsetHigh = kRunByteHigh;
    UnlockFileEx(static_cast<HANDLE>(file), 0, 1, 0, &where);
}

std::wstring stopEventName(void *file)
{
    BY_HANDLE_FILE_INFORMATION identity{};
    if (!GetFileInformationByHandle(static_cast<HANDLE>(file), &identity))
        return {};
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\pendulix-run-%08lx-%08lx%08lx", identity.dwVolumeSerialNumber,
                  identity.nFileIndexHigh, identity.nFileIndexLow);
    return name;
}

std::wstring endedPath(const std::wstring &runFile)
{
    const std::size_t slash = runFile.find_last_of(L"\\/");
    const std::size_t name = slash == std::wstring::npos ? 0 : slash + 1;
    return runFile.substr(0, name) + L"ended\\" + runFile.substr(name);
}

} // namespace Win
