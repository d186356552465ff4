#pragma once

#include <cstdio>
#include <string>

// Files as the text files of the program use them: regular files only,
// opened without ever blocking, and the runtime's input/output error codes.
namespace Win {

// An existing regular file: no folder, device or pipe.
bool isRegularFile(const std::wstring &path);
// Something that exists and is not a regular file.
bool isOtherThanRegularFile(const std::wstring &path);

// Opens as the C runtime does ("rb", "wb", "ab", "wbx": "x" fails when the
// file exists), sharing the file with readers and with a rename over it.
// Anything but a file on a disk is refused as access denied.
std::FILE *openFile(const std::wstring &path, const char *mode);

bool truncateFile(std::FILE *file, long long size);
// Flushes the file to the disk.
bool syncFile(std::FILE *file);
// Puts `from` in the place of `to` in one step.
bool replaceFile(const std::wstring &from, const std::wstring &to);

// The runtime's input/output error code for a system error code, or for the
// C runtime's error number when the system gave none: 2 not found, 3 bad
// name or path, 4 too many open files, 5 access denied, 101 disk full,
// otherwise the system's own code.
int runtimeIoCode(unsigned long systemError, int cError);
// The same for the last failed call of this thread.
int lastRuntimeIoCode();

} // namespace Win
