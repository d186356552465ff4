#pragma once

#include <windows.h>

// The program's output as the keeper reads it: a named pipe of its own, read
// overlapped, so that its reads come through the keeper's completion port
// with everything else it waits for, and so that what the pipe still holds
// can be asked while a read waits (a synchronous handle would make the
// question wait behind the read).
class OutputPipe
{
public:
    OutputPipe();
    ~OutputPipe();
    OutputPipe(const OutputPipe &) = delete;
    OutputPipe &operator=(const OutputPipe &) = delete;

    // False when either end could not be made; the system's reason is the last error.
    bool made() const { return m_read != INVALID_HANDLE_VALUE && m_write != INVALID_HANDLE_VALUE; }
    // Reads are told to `port` under `key`.
    bool attach(HANDLE port, ULONG_PTR key);
    // The inheritable write end, for the program's standard output and error.
    HANDLE writeEnd() const { return m_write; }
    // Ours goes once the program has its own: the pipe then closes with the
    // last of the program's processes that holds it.
    void closeWriteEnd();

    // Asks for the next bytes; false when the pipe has closed.
    bool read();
    const char *bytes() const { return m_buffer; }
    // The bytes the pipe holds that no read has taken yet.
    DWORD waiting() const;

private:
    HANDLE m_read = INVALID_HANDLE_VALUE;
    HANDLE m_write = INVALID_HANDLE_VALUE;
    OVERLAPPED m_overlapped{};
    char m_buffer[65536];
};
