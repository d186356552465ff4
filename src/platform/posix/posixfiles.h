#pragma once

#include <QByteArray>

#include <cstdio>

// Files as the text files of the program use them, by native path: regular
// files only, opened without ever blocking, and the runtime's input/output
// error codes.
namespace Posix {

// An existing regular file: no folder, pipe, device or dangling link.
bool isRegularFile(const QByteArray &path);
// Something that exists and is not a regular file.
bool isOtherThanRegularFile(const QByteArray &path);

// Opens as the C runtime does ("rb", "wb", "ab", "wbx": "x" fails when the
// file exists). Anything but a regular file is refused as access denied.
std::FILE *openFile(const QByteArray &path, const char *mode);

// Gives the open file the permission bits of `reference`, when it exists.
void copyPermissions(std::FILE *file, const QByteArray &reference);

// The path with every link resolved; empty when it does not resolve.
QByteArray resolvedPath(const QByteArray &path);

bool truncateFile(std::FILE *file, qint64 size);
// Punches out the bytes from `from` to the end, keeping the length; that
// length, or -1 when the file system cannot or it is no regular file.
qint64 freeFileSpace(const QByteArray &path, qint64 from);
// Flushes the file to the disk.
bool syncFile(std::FILE *file);
// Puts `from` in the place of `to` in one step.
bool replaceFile(const QByteArray &from, const QByteArray &to);

// The runtime's input/output error code for errno: 2 not found, 3 bad name,
// 4 too many open files, 5 access denied, 101 disk full, otherwise errno.
int lastFileErrorCode();

} // namespace Posix
