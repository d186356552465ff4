#include "heldrunfile.h"

#include "platform/win/winrunfile.h"

#include <windows.h>

#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// A Pendulix that tests the lock holds it for a moment; a keeper that holds
// it holds it for good.
constexpr int kLockTries = 40;
constexpr DWORD kLockRetryMs = 25;
// A reader that does not share deletion keeps the move out while it reads.
constexpr int kMoveTries = 200;
constexpr DWORD kMoveRetryMs = 50;

bool moveByHandle(HANDLE file, const std::wstring &to)
{
    std::vector<unsigned char> storage(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
    auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(storage.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = DWORD(to.size() * sizeof(wchar_t));
    to.copy(rename->FileName, to.size());
    // A handle of its own for the move: held from the start, the right to
    // delete would keep out every reader that does not share it (Qt's).
    const HANDLE mover = ReOpenFile(file, DELETE | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (mover == INVALID_HANDLE_VALUE)
        return false;
    const bool moved =
        SetFileInformationByHandle(mover, FileRenameInfo, rename, DWORD(storage.size()));
    const DWORD error = GetLastError();
    CloseHandle(mover);
    SetLastError(error);
    return moved;
}

} // namespace

HeldRunFile::HeldRunFile(std::wstring path) : m_path(std::move(path))
{
    // Appending only: whatever was written stays as it is.
    const HANDLE file =
        CreateFileW(m_path.c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    for (int tries = 0; tries < kLockTries; ++tries) {
        if (Win::lockRunByte(file, true)) {
            m_file = file;
            return;
        }
        Sleep(kLockRetryMs);
    }
    CloseHandle(file);
}

HeldRunFile::~HeldRunFile()
{
    if (m_file)
        CloseHandle(static_cast<HANDLE>(m_file));
}

std::wstring HeldRunFile::stopEventName() const
{
    return m_file ? Win::stopEventName(m_file) : std::wstring();
}

void HeldRunFile::end(const char *kind, unsigned long long number)
{
    if (!m_file)
        return;
    char text[128];
    const int size = std::snprintf(text, sizeof text, "end %lld\nresult %s %llu\n",
                                   static_cast<long long>(std::time(nullptr)), kind, number);
    DWORD written = 0;
    if (size <= 0 ||
        !WriteFile(static_cast<HANDLE>(m_file), text, DWORD(size), &written, nullptr) ||
        written != DWORD(size))
        return;
    // Not flushed: what reads it is Pendulix, on this machine, through the
    // same cache. Moved while still locked: nobody sees it unlocked in the
    // runs folder with an end, which would read as a keeper lost.
    const std::wstring ended = Win::endedPath(m_path);
    CreateDirectoryW(ended.substr(0, ended.find_last_of(L'\\')).c_str(), nullptr);
    for (int tries = 0; tries < kMoveTries; ++tries) {
        if (moveByHandle(static_cast<HANDLE>(m_file), ended))
            return;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            return;
        Sleep(kMoveRetryMs);
    }
}
