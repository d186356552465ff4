#pragma once

#include <functional>
#include <string>

// What the tests of the Windows layer share: a folder of their own, files
// of given bytes, and the helper program beside the test executable.
namespace Support {

// A new empty folder under the temporary folder, with its trailing "\".
std::wstring freshFolder();

void writeBytes(const std::wstring &path, const std::string &bytes);
std::string readBytes(const std::wstring &path);

// ANSI code page text and back, as the "A" functions convert.
std::wstring fromAnsi(const std::string &bytes);
std::string toAnsi(const std::wstring &text);
std::wstring fromUtf8(const std::string &bytes);

// The full path of instance_probe.exe.
std::wstring probePath();
// The full path of the keeper, pendulix-run.exe.
std::wstring keeperPath();

// Runs the probe with its arguments; the process handle, or null.
void *startProbe(const std::wstring &arguments);
// Waits for the process to end (at most `ms`); its code, or -1 when it did
// not end in time. Closes the handle.
long waitForEnd(void *process, unsigned long ms);
// The same, dispatching this thread's window messages meanwhile and those
// left when it has ended, as the program's event loop would.
long waitForEndDispatching(void *process, unsigned long ms);
// Dispatches the window messages this thread has now.
void dispatchPending();

// Asks `condition` every few milliseconds until it holds (true) or `ms` have passed (false).
bool waitUntil(const std::function<bool()> &condition, unsigned long ms);
// The process whose id a probe writes to `idFile` ("parent", "leave"),
// held for SYNCHRONIZE from the moment the id is there; null when it does
// not come within `ms`.
void *openProcessNamedIn(const std::wstring &idFile, unsigned long ms);

} // namespace Support
