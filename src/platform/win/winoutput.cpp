#include "winoutput.h"

#include <windows.h>
#include <winioctl.h>

#include <memory>
#include <vector>

namespace Win {

namespace {

struct Handle
{
    HANDLE value = INVALID_HANDLE_VALUE;
    ~Handle()
    {
        if (value != INVALID_HANDLE_VALUE && value != nullptr)
            CloseHandle(value);
    }
};

bool endsWith(const std::string &text, const char *suffix)
{
    const std::string tail(suffix);
    if (text.size() < tail.size())
        return false;
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data() + text.size() - tail.size(),
                          int(tail.size()), tail.data(), int(tail.size())) == CSTR_EQUAL;
}

std::string commandInterpreter()
{
    char buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("ComSpec", buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string("cmd.exe");
}

void *launch(const std::string &program, const std::string &parameters, HANDLE input, HANDLE output,
             const std::function<void(void *process)> &prepare, DWORD &refused)
{
    // Only these two cross over, whatever else of ours is inheritable.
    HANDLE inherited[] = {input, output};
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> storage(size);
    auto *attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
        refused = GetLastError();
        return nullptr;
    }
    const std::unique_ptr<_PROC_THREAD_ATTRIBUTE_LIST, decltype(&DeleteProcThreadAttributeList)> held(
        attributes, &DeleteProcThreadAttributeList);
    if (!UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                   sizeof inherited, nullptr, nullptr)) {
        refused = GetLastError();
        return nullptr;
    }

    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_SHOWNORMAL;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    startup.lpAttributeList = attributes;

    // A batch file runs in the interpreter; "/s" takes the outer quotes off
    // and leaves the line as written.
    const bool batch = endsWith(program, ".bat") || endsWith(program, ".cmd");
    std::string application;
    std::string command;
    if (batch) {
        application = commandInterpreter();
        command = "cmd.exe /d /s /c \"\"" + program + "\"" + (parameters.empty() ? "" : " " + parameters) + "\"";
    } else {
        // A bare name is looked for as the shell looks for it; a path is taken as it is.
        if (program.find_first_of("\\/:") != std::string::npos)
            application = program;
        command = "\"" + program + "\"" + (parameters.empty() ? "" : " " + parameters);
    }

    PROCESS_INFORMATION started{};
    if (!CreateProcessA(application.empty() ? nullptr : application.c_str(), command.data(), nullptr,
                        nullptr, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT,
                        nullptr, nullptr, &startup.StartupInfo, &started)) {
        refused = GetLastError();
        return nullptr;
    }
    if (prepare)
        prepare(started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    return started.hProcess;
}

} // namespace

void *startWithOutput(const std::string &program, const std::string &parameters,
                      const std::wstring &outputFile, const std::function<void(void *process)> &prepare)
{
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    // Appending: each write lands at the end, whoever of output and error writes it.
    Handle output{CreateFileW(outputFile.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (output.value == INVALID_HANDLE_VALUE)
        return nullptr;
    return startWithHandle(program, parameters, output.value, prepare);
}

void *startWithHandle(const std::string &program, const std::string &parameters, void *output,
                      const std::function<void(void *process)> &prepare)
{
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    Handle input{CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (input.value == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD refused = ERROR_SUCCESS;
    void *process =
        launch(program, parameters, input.value, static_cast<HANDLE>(output), prepare, refused);
    // What was cleaned up after a refusal must not hide its reason.
    if (!process)
        SetLastError(refused);
    return process;
}

long long freeOutputSpace(const std::wstring &outputFile, long long from)
{
    // Shared as the program's own handle shares it; never a link's target.
    Handle file{CreateFileW(outputFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
    LARGE_INTEGER size{};
    if (file.value == INVALID_HANDLE_VALUE || GetFileType(file.value) != FILE_TYPE_DISK ||
        !GetFileSizeEx(file.value, &size))
        return -1;
    if (size.QuadPart <= from)
        return size.QuadPart;
    DWORD returned = 0;
    FILE_SET_SPARSE_BUFFER sparse{};
    sparse.SetSparse = TRUE;
    FILE_ZERO_DATA_INFORMATION zero{};
    zero.FileOffset.QuadPart = from;
    zero.BeyondFinalZero = size;
    if (!DeviceIoControl(file.value, FSCTL_SET_SPARSE, &sparse, sizeof sparse, nullptr, 0, &returned, nullptr) ||
        !DeviceIoControl(file.value, FSCTL_SET_ZERO_DATA, &zero, sizeof zero, nullptr, 0, &returned, nullptr))
        return -1;
    return size.QuadPart;
}

} // namespace Win
