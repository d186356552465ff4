#include "support.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace Support {

std::wstring freshFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        const std::wstring folder = std::wstring(base) + L"pendulix-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(++counter) + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("no temporary folder");
    }
}

void writeBytes(const std::wstring &path, const std::string &bytes)
{
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write a test file");
}

std::string readBytes(const std::wstring &path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {

std::wstring decode(unsigned codePage, const std::string &bytes)
{
    if (bytes.empty())
        return {};
    std::wstring text(bytes.size(), L'\0');
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), text.data(),
                                      int(text.size()));
    text.resize(std::size_t(n));
    return text;
}

} // namespace

std::wstring fromAnsi(const std::string &bytes)
{
    return decode(CP_ACP, bytes);
}

std::wstring fromUtf8(const std::string &bytes)
{
    return decode(CP_UTF8, bytes);
}

std::string toAnsi(const std::wstring &text)
{
    if (text.empty())
        return {};
    std::string bytes(text.size() * 2, '\0');
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), bytes.data(),
                                      int(bytes.size()), nullptr, nullptr);
    bytes.resize(std::size_t(n));
    return bytes;
}

namespace {

std::wstring besideTests(const wchar_t *name)
{
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path(own);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

} // namespace

std::wstring probePath()
{
    return besideTests(L"instance_probe.exe");
}

std::wstring keeperPath()
{
    return besideTests(L"pendulix-run.exe");
}

void *startProbe(const std::wstring &arguments)
{
    std::wstring commandLine = L"\"" + probePath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

long waitForEnd(void *process, unsigned long ms)
{
    const HANDLE handle = static_cast<HANDLE>(process);
    long result = -1;
    if (WaitForSingleObject(handle, ms) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(handle, &code);
        result = long(code);
    }
    CloseHandle(handle);
    return result;
}

void dispatchPending()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

long waitForEndDispatching(void *process, unsigned long ms)
{
    const HANDLE handle = static_cast<HANDLE>(process);
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? DWORD(deadline - now) : 0;
        const DWORD woken = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
        dispatchPending();
        if (woken != WAIT_OBJECT_0 + 1)
            break;
    }
    // What it posted before its end is in the queue by now.
    dispatchPending();
    return waitForEnd(process, 0);
}

bool waitUntil(const std::function<bool()> &condition, unsigned long ms)
{
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(20);
    }
}

void *openProcessNamedIn(const std::wstring &idFile, unsigned long ms)
{
    std::string id;
    // The file is made a moment before the id is in it.
    if (!waitUntil([&] { return !(id = readBytes(idFile)).empty(); }, ms))
        return nullptr;
    return OpenProcess(SYNCHRONIZE, FALSE, DWORD(std::stoul(id)));
}

} // namespace Support
