#pragma once

#include <functional>
#include <string>

// A program of the schedule started directly, so that its output is kept:
// the shell's "open" gives a program no standard handles of ours.
namespace Win {

// Starts an .exe or .com file (a batch file through the command
// interpreter) with its parameters, the ANSI bytes of the schedule file, in
// our current directory and without a console window: its standard output
// and error both go to the end of `outputFile` (created when missing), in
// the order written, and its standard input is the null device. It inherits
// those handles and no other. A file handle, not a pipe: nothing of ours has
// to read for the program to go on, so a program that writes much never
// waits on us. `prepare` gets the process before its first instruction runs,
// to put it in jobs. The process handle, the caller's to close; null when
// the system refused the start.
void *startWithOutput(const std::string &program, const std::string &parameters,
                      const std::wstring &outputFile, const std::function<void(void *process)> &prepare);

// The same with `output`, an inheritable handle of the caller's (a file, or
// a pipe's write end the caller reads), as the standard output and error.
// Null when the system refused, its reason then being the last error.
void *startWithHandle(const std::string &program, const std::string &parameters, void *output,
                      const std::function<void(void *process)> &prepare);

// Makes the file sparse and gives back the disk space of its bytes from
// `from` to its end, keeping its length: a running program's appends go on
// at the end. The length freed up to, or -1 when the file system cannot.
long long freeOutputSpace(const std::wstring &outputFile, long long from);

} // namespace Win
