#pragma once

#include <string>

// Runs kept by pendulix-run.exe, the keeper of one run each: it starts the
// program in a job object of its own, keeps its output, ends everything the
// run started at its time limit or on request, and records the end in the
// run's file, which it holds locked for as long as it lives and moves into
// "ended\" once the end is in it. What we know of a run is that file: a
// Pendulix started later reads the lock as "still going", the move as
// "ended", and a file left unlocked where it was as a keeper that was lost.
namespace Win {

struct KeptLimits {
    std::wstring output;               // made with the first byte the run writes
    long long kept = 0;                // bytes kept of what it writes; the rest is counted
    std::string noteBefore, noteAfter; // around the count of bytes dropped, written after them
    long long stopAfterMs = 0;         // 0: no limit
};

enum class KeptStart { Started, Refused, NoRunFile };

// Makes the run file (a new one) with `record` in it, then starts `keeper`
// for it, to run `program` with `parameters` (the ANSI bytes of the schedule
// file, passed on as they are). The keeper's process handle goes to
// *keeperProcess, the caller's to close: its end with no file in "ended\"
// is a keeper that was lost. NoRunFile: the file could not be made (the
// caller may start the program without a keeper); Refused: the keeper
// would not start. A program the system refuses is an end of its own,
// "result refused ERROR".
KeptStart startKept(const std::wstring &keeper, const std::string &program,
                    const std::string &parameters, const KeptLimits &limits,
                    const std::wstring &runFile, const std::string &record, void **keeperProcess);

// A keeper holds the run file: asked of the file itself, as a Pendulix
// started later asks it.
bool runFileLocked(const std::wstring &runFile);

// Asks the run's keeper to end the run; false when no keeper listens (the
// run has ended, or its keeper is gone).
bool requestStop(const std::wstring &runFile);

// The keeper's command line: pendulix-run RUNFILE OUTPUT KEPT NOTE-BEFORE
// NOTE-AFTER LIMIT-MS PROGRAM PARAMETERS, each read back whole by the
// keeper's CommandLineToArgvW.
std::wstring keeperCommandLine(const std::wstring &keeper, const std::wstring &runFile,
                               const KeptLimits &limits, const std::string &program,
                               const std::string &parameters);

// One argument quoted as the C runtime and CommandLineToArgvW read it:
// backslashes are doubled only before a quote, their own or the closing one.
std::wstring quotedArgument(const std::wstring &argument);

} // namespace Win
