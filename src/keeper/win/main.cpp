// pendulix-run.exe: the keeper of one run on Windows. Pendulix starts it for
// each program it starts directly; it starts the program in a job object of
// its own, keeps its output, ends everything the run started at the run's
// time limit or on request, and records the end where Pendulix, running or
// started later, finds it. It outlives Pendulix, so that neither the limit
// nor the output depend on Pendulix still running.
//
// pendulix-run RUNFILE OUTPUT KEPT NOTE-BEFORE NOTE-AFTER LIMIT-MS PROGRAM PARAMETERS
// PROGRAM and PARAMETERS as the schedule holds them: the parameters are one
// string, put on the program's command line as they are.

#include "heldrunfile.h"
#include "outputpipe.h"

#include "keeper/keptoutput.h"
#include "platform/win/winoutput.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>

namespace {

// What comes through the keeper's one completion port.
enum : ULONG_PTR { kJob = 1, kOutput, kProgramEnded, kStopRequest };

// What a program's end leaves in the pipe is read before the end is told,
// for this long at most: leftovers may write on without end.
constexpr ULONGLONG kDrainMs = 2000;
// The exit code of what the limit or a request ends.
constexpr UINT kStoppedCode = 1;

std::string narrow(UINT codePage, const wchar_t *text)
{
    const int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(std::size_t(std::max(size, 1)), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

// A handle's signal, as a packet on the port.
struct Wake {
    HANDLE port;
    ULONG_PTR key;
};

void CALLBACK post(PVOID context, BOOLEAN)
{
    const Wake *wake = static_cast<const Wake *>(context);
    PostQueuedCompletionStatus(wake->port, 0, wake->key, nullptr);
}

bool killOnClose(HANDLE job, bool kill)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = kill ? JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE : 0;
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

DWORD activeProcesses(HANDLE job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr))
        return 0;
    return accounting.ActiveProcesses;
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc != 9)
        return 2;
    HeldRunFile run(argv[1]);
    // Without its file nobody would learn of the run: better not to make it.
    if (!run.held())
        return 3;
    // The notes come as the schedule's code page wrote them, and go out so.
    KeptOutput output(narrow(CP_UTF8, argv[2]).c_str(), _wtoi64(argv[3]), narrow(CP_ACP, argv[4]).c_str(),
                      narrow(CP_ACP, argv[5]).c_str());
    const long long limitMs = _wtoi64(argv[6]);

    const HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    // Without "breakaway", nothing the run starts leaves the job.
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{};
    association.CompletionKey = reinterpret_cast<PVOID>(kJob);
    association.CompletionPort = port;
    OutputPipe pipe;
    if (!port || !job || !pipe.made() || !pipe.attach(port, kOutput) ||
        !SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association) ||
        !killOnClose(job, true)) {
        run.end("refused", GetLastError());
        return 1;
    }
    // Made before the program runs: a request that comes as soon as it does is heard.
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, run.stopEventName().c_str());

    DWORD refused = ERROR_SUCCESS;
    const HANDLE program = Win::startWithHandle(narrow(CP_ACP, argv[7]), narrow(CP_ACP, argv[8]),
                                                pipe.writeEnd(), [&](void *process) {
                                                    // Before its first instruction: nothing it
                                                    // starts escapes.
                                                    if (!AssignProcessToJobObject(job, process)) {
                                                        refused = GetLastError();
                                                        TerminateProcess(process, refused);
                                                    }
                                                });
    if (!program)
        refused = GetLastError();
    // Running now: a keeper that is lost from here on leaves the run running,
    // as it does anywhere. Until now, one lost would have left it suspended.
    if (program)
        killOnClose(job, false);
    pipe.closeWriteEnd();
    if (refused != ERROR_SUCCESS) {
        run.end("refused", refused);
        return 1;
    }

    const Wake programEnded{port, kProgramEnded};
    const Wake stopRequested{port, kStopRequest};
    HANDLE programWait = nullptr;
    HANDLE stopWait = nullptr;
    RegisterWaitForSingleObject(&programWait, program, post, const_cast<Wake *>(&programEnded),
                                INFINITE, WT_EXECUTEONLYONCE);
    if (stop)
        RegisterWaitForSingleObject(&stopWait, stop, post, const_cast<Wake *>(&stopRequested),
                                    INFINITE, WT_EXECUTEONLYONCE);

    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max(0LL, limitMs));
    bool limitPending = limitMs > 0;
    bool programRunning = true;
    bool reading = true;
    bool jobBusy = true;
    // Why the run is being stopped, once it is.
    enum class Stop { None, Limit, Request } stopping = Stop::None;
    // The program has ended; its end is told once what it wrote is in the file.
    bool endPending = false;
    ULONGLONG drainUntil = 0;
    DWORD drainWait = 0;
    Stop endedBy = Stop::None;
    DWORD exitCode = 0;

    const auto stopRun = [&](Stop why) {
        if (stopping != Stop::None)
            return;
        stopping = why;
        TerminateJobObject(job, kStoppedCode);
    };
    const auto closeOutput = [&] {
        reading = false;
        output.finish();
    };
    const auto tellEnd = [&] {
        endPending = false;
        if (endedBy == Stop::Limit)
            run.end("stopped", static_cast<unsigned long long>(limitMs));
        else if (endedBy == Stop::Request)
            run.end("requested", 0);
        else
            run.end("exited", exitCode);
    };
    if (!pipe.read())
        closeOutput();

    // A run ends with the program; the keeper stays while the output still
    // comes, or while what the program left is to be ended at the limit.
    while (programRunning || endPending || reading || (jobBusy && limitPending)) {
        // Asked at every turn, not only when nothing comes: a program that
        // writes without pause keeps the port busy.
        const ULONGLONG now = GetTickCount64();
        if (limitPending && now >= deadline) {
            limitPending = false;
            stopRun(Stop::Limit);
        }
        if (endPending && now >= drainUntil)
            tellEnd();
        DWORD timeout = INFINITE;
        if (endPending)
            timeout = drainWait;
        else if (limitPending)
            timeout = DWORD(std::min<ULONGLONG>(deadline > now ? deadline - now : 0, INFINITE - 1));
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED *overlapped = nullptr;
        const BOOL got = GetQueuedCompletionStatus(port, &bytes, &key, &overlapped, timeout);
        if (!got && !overlapped) {
            // Nothing came in time. With the port empty and the pipe too,
            // all the program wrote is in the file.
            if (endPending && (!reading || pipe.waiting() == 0))
                tellEnd();
            else if (endPending)
                drainWait = 10;
            continue;
        }
        switch (key) {
        case kOutput:
            if (!got) {
                closeOutput();
                break;
            }
            output.write(pipe.bytes(), bytes);
            if (!pipe.read())
                closeOutput();
            break;
        case kProgramEnded:
            programRunning = false;
            GetExitCodeProcess(program, &exitCode);
            endedBy = stopping;
            endPending = true;
            drainUntil = GetTickCount64() + kDrainMs;
            // No request is heard once the program has ended.
            if (stopWait)
                UnregisterWaitEx(stopWait, INVALID_HANDLE_VALUE);
            if (stop)
                CloseHandle(stop);
            stop = nullptr;
            stopWait = nullptr;
            jobBusy = activeProcesses(job) > 0;
            break;
        case kStopRequest:
            if (programRunning)
                stopRun(Stop::Request);
            break;
        case kJob:
            jobBusy = bytes != JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO && activeProcesses(job) > 0;
            break;
        }
    }
    UnregisterWaitEx(programWait, INVALID_HANDLE_VALUE);
    CloseHandle(program);
    CloseHandle(job);
    return 0;
}
