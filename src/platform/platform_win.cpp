#include "platform.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <io.h>

namespace Platform {

QString programDirectory()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator();
}

bool acquireSingleInstance(const QString &name)
{
    // The handle stays open until the process ends: it is the marker.
    SetLastError(0);
    CreateMutexA(nullptr, FALSE, name.toLocal8Bit().constData());
    return GetLastError() != ERROR_ALREADY_EXISTS;
}

void openWithAssociatedApplication(const QString &path)
{
    ShellExecuteW(GetDesktopWindow(), L"open", reinterpret_cast<LPCWSTR>(path.utf16()), nullptr,
                  nullptr, SW_SHOWNORMAL);
}

void tone(int frequencyHz, int durationMs)
{
    Beep(DWORD(frequencyHz), DWORD(durationMs));
}

QString longTimeText(const QTime &time)
{
    SYSTEMTIME st{};
    st.wHour = WORD(time.hour());
    st.wMinute = WORD(time.minute());
    st.wSecond = WORD(time.second());
    wchar_t buffer[128];
    const int n = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
    if (n <= 0)
        return time.toString(QStringLiteral("HH:mm:ss"));
    return QString::fromWCharArray(buffer, n - 1);
}

std::FILE *openFile(const QString &path, const char *mode)
{
    SetLastError(0);
    const QString wideMode = QString::fromLatin1(mode);
    return _wfopen(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                   reinterpret_cast<const wchar_t *>(wideMode.utf16()));
}

bool syncFile(std::FILE *file)
{
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool replaceFile(const QString &from, const QString &to)
{
    SetLastError(0);
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

int lastFileErrorCode()
{
    const DWORD code = GetLastError();
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return 101;
    case ERROR_INVALID_NAME:
        return 3;
    case 0:
        return errno == ENOSPC ? 101 : 5;
    default:
        return int(code);
    }
}

void onSessionEnd(std::function<void()>)
{
    // Qt ends the event loop itself on WM_ENDSESSION, without closing windows.
}

} // namespace Platform
