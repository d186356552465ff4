#include "platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWinEventNotifier>

#define NOMINMAX
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

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

void startTarget(const QByteArray &path, const QByteArray &parameters, QObject *context,
                 std::function<void(const TargetEvent &)> report)
{
    // The ANSI call: the bytes of the schedule file are in the ANSI code page.
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = "open";
    info.lpFile = path.constData();
    info.lpParameters = parameters.isEmpty() ? nullptr : parameters.constData();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        report({TargetEvent::Refused, 0});
        return;
    }
    report({TargetEvent::Started, 0});
    if (!info.hProcess)
        return;
    // Only what was started directly reports its end; a document's viewer is
    // none of the schedule's business.
    const QByteArray lower = path.toLower();
    const bool program = lower.endsWith(".exe") || lower.endsWith(".com") ||
                         lower.endsWith(".bat") || lower.endsWith(".cmd");
    if (!program) {
        CloseHandle(info.hProcess);
        return;
    }
    auto *notifier = new QWinEventNotifier(info.hProcess, context);
    QObject::connect(notifier, &QWinEventNotifier::activated, notifier, [notifier, report](HANDLE process) {
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        notifier->setEnabled(false);
        CloseHandle(process);
        notifier->deleteLater();
        report({TargetEvent::Exited, int(code)});
    });
}

void openHelp(const QString &compiledHelp, const QString &)
{
    openWithAssociatedApplication(compiledHelp);
}

QString targetSeparators()
{
    return QStringLiteral("\\:");
}

QString allFilesPattern()
{
    return QStringLiteral("*.*");
}

QString fixedExecutableName()
{
    return QStringLiteral("Pendulix.exe");
}

void trimWorkingSet(const QString &executableName)
{
    // Bound at run time: without the process-status library the trim does nothing.
    using EmptyWorkingSetFn = BOOL(WINAPI *)(HANDLE);
    static const auto emptyWorkingSet = [] {
        HMODULE psapi = LoadLibraryW(L"PSAPI.dll");
        return psapi ? reinterpret_cast<EmptyWorkingSetFn>(GetProcAddress(psapi, "EmptyWorkingSet"))
                     : nullptr;
    }();
    if (!emptyWorkingSet)
        return;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (QString::fromWCharArray(entry.szExeFile) != executableName)
            continue;
        if (HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID)) {
            emptyWorkingSet(process);
            CloseHandle(process);
        }
        break;
    }
    CloseHandle(snapshot);
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

QString decodeText(const QByteArray &bytes)
{
    // The ANSI code pages map every byte to a character of their own.
    return QString::fromLocal8Bit(bytes);
}

QByteArray encodeText(const QString &text)
{
    return text.toLocal8Bit();
}

QString displayText(const QString &text)
{
    return text;
}

QByteArray nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toLocal8Bit();
}

bool isRegularFile(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()));
    return !path.isEmpty() && attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool isOtherThanRegularFile(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()));
    return !path.isEmpty() && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

void copyPermissions(std::FILE *, const QString &)
{
    // Windows files keep their access rights in the folder's inheritance.
}

QString finalTarget(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : QDir::toNativeSeparators(target);
}

bool truncateFile(std::FILE *file, qint64 size)
{
    std::clearerr(file);
    return _chsize_s(_fileno(file), size) == 0;
}

std::FILE *openFile(const QString &path, const char *mode)
{
    if (!isRegularFile(path) && GetFileAttributesW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16())) != INVALID_FILE_ATTRIBUTES) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
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

QString startWithSessionEntry()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Pendulix");
}

bool setStartWithSession(bool start, const QString &executable)
{
    QSettings run(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                  QSettings::NativeFormat);
    if (start)
        run.setValue(QStringLiteral("Pendulix"),
                     QLatin1Char('"') + QDir::toNativeSeparators(executable) + QLatin1Char('"'));
    else
        run.remove(QStringLiteral("Pendulix"));
    run.sync();
    return run.status() == QSettings::NoError;
}

void prepareProcess()
{
}

void onSessionEnd(std::function<void()>)
{
    // Qt ends the event loop itself on WM_ENDSESSION, without closing windows.
}

} // namespace Platform
