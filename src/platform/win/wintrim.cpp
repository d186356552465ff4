#include "wintrim.h"

namespace Win {

namespace {

template <typename Function>
void bind(Function &target, HMODULE library, const char *name)
{
    if (library)
        target = reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(library, name)));
}

} // namespace

const TrimFunctions &TrimFunctions::system()
{
    static const TrimFunctions functions = [] {
        TrimFunctions bound;
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        bind(bound.createSnapshot, kernel, "CreateToolhelp32Snapshot");
        bind(bound.processFirst, kernel, "Process32FirstW");
        bind(bound.processNext, kernel, "Process32NextW");
        bind(bound.emptyWorkingSet, LoadLibraryW(L"PSAPI.dll"), "EmptyWorkingSet");
        return bound;
    }();
    return functions;
}

TrimOutcome trimWorkingSet(const std::wstring &executableName, const TrimFunctions &functions)
{
    if (!functions.createSnapshot || !functions.processFirst || !functions.processNext ||
        !functions.emptyWorkingSet)
        return {};
    HANDLE snapshot = functions.createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {TrimOutcome::NotFound, 0};
    TrimOutcome outcome{TrimOutcome::NotFound, 0};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = functions.processFirst(snapshot, &entry); more;
         more = functions.processNext(snapshot, &entry)) {
        if (executableName != entry.szExeFile)
            continue;
        outcome = {TrimOutcome::Refused, entry.th32ProcessID};
        if (HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID)) {
            functions.emptyWorkingSet(process);
            CloseHandle(process);
            outcome.kind = TrimOutcome::Trimmed;
        }
        break;
    }
    CloseHandle(snapshot);
    return outcome;
}

} // namespace Win
