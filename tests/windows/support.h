#pragma once

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

} // namespace Support
