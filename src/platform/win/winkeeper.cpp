#include "winkeeper.h"

#include "winrunfile.h"

#include <windows.h>

namespace Win {

namespace {

struct Handle {
    HANDLE value = INVALID_HANDLE_VALUE;
    ~Handle()
    {
        if (value != INVALID_HANDLE_VALUE && value != nullptr)
            CloseHandle(value);
    }
};

std::wstring fromAnsi(const std::string &bytes)
{
    if (bytes.empty())
        return {};
    std::wstring text(bytes.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), text.data(),
                                      int(text.size()));
    text.resize(std::size_t(n > 0 ? n : 0));
    return text;
}

// Beside the keeper's own handle, sharing all: neither a reader nor the
// keeper's move into "ended\" is kept out by ours.
HANDLE openForIdentity(const std::wstring &runFile, DWORD access)
{
    return CreateFileW(runFile.c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring fullPath(const std::wstring &path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full.empty() ? path : full;
}

} // namespace

std::wstring quotedArgument(const std::wstring &argument)
{
    std::wstring quoted(1, L'"');
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Before a quote each backslash is doubled, and the quote escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    // Those before the closing quote are doubled too.
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring keeperCommandLine(const std::wstring &keeper, const std::wstring &runFile,
                               const KeptLimits &limits, const std::string &program,
                               const std::string &parameters)
{
    // The first word is read to the next quote, without escapes: a path
    // holds no quote.
    return L"\"" + keeper + L"\" " + quotedArgument(runFile) + L" " +
           quotedArgument(limits.output) + L" " + std::to_wstring(limits.kept) + L" " +
           quotedArgument(fromAnsi(limits.noteBefore)) + L" " +
           quotedArgument(fromAnsi(limits.noteAfter)) + L" " + std::to_wstring(limits.stopAfterMs) +
           L" " + quotedArgument(fromAnsi(program)) + L" " + quotedArgument(fromAnsi(parameters));
}

KeptStart startKept(const std::wstring &keeper, const std::string &program,
                    const std::string &parameters, const KeptLimits &limits,
                    const std::wstring &runFile, const std::string &record, void **keeperProcess)
{
    *keeperProcess = nullptr;
    // The keeper's current folder is ours only while we do not change it.
    const std::wstring path = fullPath(runFile);
    {
        Handle file{CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.value == INVALID_HANDLE_VALUE)
            return KeptStart::NoRunFile;
        DWORD written = 0;
        if (!WriteFile(file.value, record.data(), DWORD(record.size()), &written, nullptr) ||
            written != record.size()) {
            CloseHandle(file.value);
            file.value = INVALID_HANDLE_VALUE;
            DeleteFileW(path.c_str());
            return KeptStart::NoRunFile;
        }
    }
    std::wstring command = keeperCommandLine(keeper, path, limits, program, parameters);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Nothing of ours crosses over: the keeper opens what it needs by name.
    if (!CreateProcessW(keeper.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &started)) {
        DeleteFileW(path.c_str());
        return KeptStart::Refused;
    }
    CloseHandle(started.hThread);
    *keeperProcess = started.hProcess;
    return KeptStart::Started;
}

bool runFileLocked(const std::wstring &runFile)
{
    Handle file{openForIdentity(runFile, GENERIC_READ)};
    if (file.value == INVALID_HANDLE_VALUE)
        return false;
    if (lockRunByte(file.value, false)) {
        unlockRunByte(file.value);
        return false;
    }
    return GetLastError() == ERROR_LOCK_VIOLATION;
}

bool requestStop(const std::wstring &runFile)
{
    Handle file{openForIdentity(runFile, FILE_READ_ATTRIBUTES)};
    if (file.value == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring name = stopEventName(file.value);
    // Only a keeper makes the event, and it goes with the keeper.
    Handle stop{name.empty() ? nullptr : OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())};
    return stop.value && SetEvent(stop.value);
}

} // namespace Win
