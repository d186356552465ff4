#pragma once

#include <QString>
#include <QTime>

#include <cstdio>
#include <functional>

// The OS layer. Everything the program needs from the operating system that
// Qt does not already give the same way everywhere lives behind these calls;
// one implementation file per OS.
namespace Platform {

// Directory of the running executable, in native form, with its trailing separator.
QString programDirectory();

// Holds the per-user single-instance marker for the rest of the process.
// Returns false when another instance of the same user already holds it.
bool acquireSingleInstance(const QString &name);

// Opens a file with the desktop's associated application, without waiting
// and without reporting back.
void openWithAssociatedApplication(const QString &path);

// Starts a program with its parameters, or opens a document with the
// desktop's associated application: detached, inheriting the current
// directory, without waiting and without reporting back.
void openTarget(const QString &path, const QString &parameters);

// The path separators a schedule target is split at, the directory separator first.
QString targetSeparators();

// The file dialog's pattern for every file: "*" where "*.*" would hide names without a dot.
QString allFilesPattern();

// The executable name the scheduler trims: "Pendulix.exe" on Windows.
QString fixedExecutableName();

// Gives back the physical memory of the process running the executable of
// that name, when there is one the platform lets us trim; reports nothing.
void trimWorkingSet(const QString &executableName);

// Sounds a tone on the default sound device, holding the calling thread for
// its duration; does nothing where there is no sound device.
void tone(int frequencyHz, int durationMs);

// The current time of day in the user's long time format, without a time zone.
QString longTimeText(const QTime &time);

// Opens a file as the C runtime does ("rb", "wb", "ab"), with the native path.
std::FILE *openFile(const QString &path, const char *mode);

// Flushes a file written through openFile to the disk; false on failure.
bool syncFile(std::FILE *file);

// Puts `from` in the place of `to` in one step: a reader sees the old file or
// the new one, never a mix. False on failure, with lastFileErrorCode set.
bool replaceFile(const QString &from, const QString &to);

// The runtime's input/output error code of the last failed file call of this
// thread: 2 not found, 3 bad name, 4 too many open files, 5 access denied,
// 101 disk full, otherwise the system's own error number.
int lastFileErrorCode();

// Calls the handler on the main thread's event loop when the session asks the
// program to end (SIGTERM, SIGHUP on POSIX; Qt itself reports the Windows
// session end).
void onSessionEnd(std::function<void()> handler);

} // namespace Platform
