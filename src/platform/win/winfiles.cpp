#include "winfiles.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>

namespace Win {

namespace {

std::FILE *refuse()
{
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

} // namespace

bool isRegularFile(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool isOtherThanRegularFile(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

std::FILE *openFile(const std::wstring &path, const char *mode)
{
    SetLastError(0);
    errno = 0;
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    int flags = _O_BINARY | _O_RDONLY;
    const char *streamMode = "rb";
    if (std::strcmp(mode, "wb") == 0) {
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
        flags = _O_BINARY | _O_WRONLY;
        streamMode = "wb";
    } else if (std::strcmp(mode, "wbx") == 0) {
        access = GENERIC_WRITE;
        disposition = CREATE_NEW;
        flags = _O_BINARY | _O_WRONLY;
        streamMode = "wb";
    } else if (std::strcmp(mode, "ab") == 0) {
        access = GENERIC_WRITE;
        disposition = OPEN_ALWAYS;
        flags = _O_BINARY | _O_WRONLY | _O_APPEND;
        streamMode = "ab";
    } else if (std::strcmp(mode, "rb") != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A folder opens only with backup semantics, but a name that is one
    // must read as access denied even where it would.
    if (isOtherThanRegularFile(path))
        return refuse();
    HANDLE handle = CreateFileW(path.c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // The C runtime's number too: callers retry another name on EEXIST.
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST
                : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT
                                                                                 : EACCES;
        return nullptr;
    }
    // Opening an existing file leaves ERROR_ALREADY_EXISTS behind; a later
    // failure that only the C runtime reports must not read as that.
    SetLastError(0);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return refuse();
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE *file = _fdopen(descriptor, streamMode);
    if (!file) {
        // The runtime's stream table is full; it says so in no error code.
        _close(descriptor);
        SetLastError(0);
        if (errno == 0)
            errno = EMFILE;
    }
    return file;
}

bool truncateFile(std::FILE *file, long long size)
{
    std::clearerr(file);
    return std::fflush(file) == 0 && _chsize_s(_fileno(file), size) == 0;
}

bool syncFile(std::FILE *file)
{
    return std::fflush(file) == 0 &&
           FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}

bool replaceFile(const std::wstring &from, const std::wstring &to)
{
    SetLastError(0);
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

int runtimeIoCode(unsigned long systemError, int cError)
{
    switch (systemError) {
    case ERROR_SUCCESS:
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return 101;
    case ERROR_INVALID_NAME:
        return 3;
    default:
        return int(systemError);
    }
    // The C runtime refused without asking the system: its own stream table
    // is full, or a write came short.
    switch (cError) {
    case ENOENT:
        return 2;
    case EMFILE:
        return 4;
    case ENOSPC:
        return 101;
    default:
        return 5;
    }
}

int lastRuntimeIoCode()
{
    return runtimeIoCode(GetLastError(), errno);
}

} // namespace Win
