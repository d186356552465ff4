#include "outputpipe.h"

#include <string>

OutputPipe::OutputPipe()
{
    // Anonymous pipes cannot be read overlapped: a name of our own, for one
    // instance, that nothing from elsewhere may take.
    static long counter = 0;
    const std::wstring name = L"\\\\.\\pipe\\pendulix-run-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&counter));
    m_read = CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 65536,
        0, nullptr);
    if (m_read == INVALID_HANDLE_VALUE)
        return;
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    m_write = CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
}

OutputPipe::~OutputPipe()
{
    closeWriteEnd();
    if (m_read != INVALID_HANDLE_VALUE)
        CloseHandle(m_read);
}

bool OutputPipe::attach(HANDLE port, ULONG_PTR key)
{
    return CreateIoCompletionPort(m_read, port, key, 0) == port;
}

void OutputPipe::closeWriteEnd()
{
    if (m_write != INVALID_HANDLE_VALUE)
        CloseHandle(m_write);
    m_write = INVALID_HANDLE_VALUE;
}

bool OutputPipe::read()
{
    m_overlapped = OVERLAPPED{};
    // Done at once or later, the bytes come through the port either way.
    return ReadFile(m_read, m_buffer, sizeof m_buffer, nullptr, &m_overlapped) ||
           GetLastError() == ERROR_IO_PENDING;
}

DWORD OutputPipe::waiting() const
{
    DWORD available = 0;
    return PeekNamedPipe(m_read, nullptr, 0, nullptr, &available, nullptr) ? available : 0;
}
