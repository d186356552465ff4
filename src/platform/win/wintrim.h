#pragma once

#include <string>

#include <windows.h>
#include <tlhelp32.h>

// Gives back the physical memory of a process: the working-set trim.
namespace Win {

// The system functions the trim calls, bound at run time: the process-status
// ones from "PSAPI.dll", the snapshot ones from "kernel32.dll". A missing
// library or function leaves its pointer null.
struct TrimFunctions
{
    HANDLE(WINAPI *createSnapshot)(DWORD flags, DWORD processId) = nullptr;
    BOOL(WINAPI *processFirst)(HANDLE snapshot, PROCESSENTRY32W *entry) = nullptr;
    BOOL(WINAPI *processNext)(HANDLE snapshot, PROCESSENTRY32W *entry) = nullptr;
    BOOL(WINAPI *emptyWorkingSet)(HANDLE process) = nullptr;

    // Bound on first use, once for the process.
    static const TrimFunctions &system();
};

struct TrimOutcome
{
    enum Kind {
        Unavailable, // a library or function is missing: nothing was done
        NotFound,    // no process runs an executable of that name
        Refused,     // found, but it could not be opened
        Trimmed,     // EmptyWorkingSet was called on it
    };
    Kind kind = Unavailable;
    DWORD processId = 0;
};

// The first process whose executable file name is exactly `executableName`
// (case included) is opened with all access rights and its working set
// emptied; the walk stops there. The snapshot is released in every case.
TrimOutcome trimWorkingSet(const std::wstring &executableName,
                           const TrimFunctions &functions = TrimFunctions::system());

} // namespace Win
