#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTime>

#include "programfolders.h"

#include <cstdio>
#include <functional>

class QObject;

// The OS layer. Everything the program needs from the operating system that
// Qt does not already give the same way everywhere lives behind these calls;
// one implementation file per OS.
namespace Platform {

// The folders of the running program, in native form (programfolders.h).
ProgramFolders programFolders();
// The user's own folder of them: where every file the program writes is.
QString programDirectory();

// Holds the per-user single-instance marker for the rest of the process.
// Returns false when another instance of the same user already holds it.
bool acquireSingleInstance(const QString &name);

// Where the running instance listens for a second start's one request, to
// show its window: a local socket in the user's private folder, reachable
// by that user only. Empty where there is no such place.
QString singleInstanceChannel(const QString &name);

// The second start's request to show the window, where the platform has a
// way of its own to carry it (on Windows a message-only window, which only
// the same user's desktop reaches). True when a running instance was found;
// false where the channel above carries it instead.
bool askRunningInstanceToShow(const QString &name);

// Calls `show` on the calling thread's event loop each time a second start
// asks that way, for as long as `context` lives; nothing where the channel
// above carries the request.
void onShowAsked(const QString &name, QObject *context, std::function<void()> show);

// The peer of a local socket runs as this process's user, where the system
// tells; true where the channel is the user's own by construction.
bool localPeerIsOwnUser(qintptr socketDescriptor);

// A notice for the desktop's notification service, where the session has
// one: `activated` when the user clicks it or its action `showAction`,
// `unavailable` (at once or later) when nothing took it, for the caller's
// own way of telling.
void notifyDesktop(const QString &summary, const QString &body, const QString &showAction,
                   std::function<void()> activated, std::function<void()> unavailable);

// Opens the compiled help with its viewer where the desktop has one, else the
// HTML pages in the browser; without waiting. `unavailable` is called, on the
// calling thread and later, when neither could be opened.
void openHelp(const QString &compiledHelp, const QString &htmlIndex, std::function<void()> unavailable);

// What became of a target handed to startTarget.
struct TargetEvent
{
    enum Kind {
        Started, // the program runs, or the opener took the document
        Refused, // the system would not start it: nothing runs
        Exited,  // a program started directly ended with `number` as its code
        Killed,  // a program started directly was ended by signal `number`
        Stopped, // a program started directly was stopped at its time limit
        StoppedOnRequest, // ... or because the user asked
        KeeperLost, // the keeper of its run ended first: how the run ended is not known
    };
    Kind kind = Started;
    // For KeeperLost, the signal that ended the keeper, or 0 when not known.
    int number = 0;
    // Started only: Exited or Killed will follow, the program was started directly.
    bool endFollows = false;
    // The output file is cut as it is written (Started), or was (an end).
    bool outputCut = false;
    // An end: when it came, in seconds since the epoch, when that was not now.
    qint64 endedAt = 0;
    // Started only: the keeper was asked for but could not be used.
    bool withoutKeeper = false;
};

// Starts an executable file with its parameters, or opens any other file
// with the desktop's opener, as a double click would. What starts outlives
// us, inherits the current directory and none of our handles. `report` gets
// Started or Refused once, possibly before this returns; for a program started
// directly, Exited or Killed follows when it ends. Both come on the event
// loop of the calling thread, never once `context` is gone. Paths and
// parameters are the bytes of the schedule file.
// A program started directly is started with `options`.
struct StartOptions
{
    // Stopped, with what it started, this many minutes after its start; 0: never.
    int stopAfterMinutes = 0;
    // Its output and errors go to the end of this file; nowhere when empty.
    QString outputFile = {};
    // Where the platform can, the file is cut as it is written: this many
    // bytes kept, then a note of the bytes dropped between these two texts.
    qint64 keptOutput = 0;
    QByteArray droppedNoteBefore = {};
    QByteArray droppedNoteAfter = {};
    // The keeper of its run, where the platform has one: the program it
    // starts it with (empty: none), and the file of the run it makes with
    // `runRecord` in it, where a later instance finds the run.
    QString keeper = {};
    QString runFile = {};
    QByteArray runRecord = {};
};
void startTarget(const QByteArray &path, const QByteArray &parameters, QObject *context,
                 std::function<void(const TargetEvent &)> report, const StartOptions &options = {});
// startTarget starts `path` itself, where its end and its limit can be
// followed, rather than handing it to the desktop's opener as a document.
bool startsAsProgram(const QByteArray &path);

// A run a keeper holds or held, found in the runs folder by a later instance.
struct KeptRun
{
    QString runFile;
    QByteArray record; // the record it was started with
    bool running = false;
    TargetEvent end = {}; // when not running
};
QList<KeptRun> keptRuns(const QString &folder);
// Reports the end of a run found running, once, on the calling thread's
// event loop, for as long as `context` lives; `stopAfterMinutes` names a
// stop at the limit as its entry does.
void watchKeptRun(const QString &runFile, int stopAfterMinutes, QObject *context,
                  std::function<void(const TargetEvent &)> report);
// The files of an ended run, once its end is recorded.
void forgetKeptRun(const QString &runFile);
// Asks the keeper of a run to stop it, with what it started, as at its
// limit; false when no keeper is there to ask.
bool stopKeptRun(const QString &runFile);

// Makes a folder that only its user may enter, whatever the umask; one that
// exists keeps its mode. True when it is there.
bool makePrivateFolder(const QString &path);

// Calls `due` at a time of the wall clock, on the calling thread's event
// loop, for as long as `context` lives, without the lateness a long wait of
// the event loop may have; and at once when the wall clock is set. Each arm
// replaces the last. arm() is false where the platform has no such timer.
class WallClockAlarm
{
public:
    WallClockAlarm(std::function<void()> due, QObject *context);
    bool arm(qint64 msecsSinceEpoch);

private:
    QObject *m_alarm = nullptr; // owned by `context`
};

// Calls `woke` each time the machine comes back from sleep, for as long as
// `context` lives; never where the system does not tell.
void onWakeFromSleep(QObject *context, std::function<void()> woke);

// The path separators a schedule target is split at, the directory separator first.
QString targetSeparators();

// The file dialog's pattern for every file: "*" where "*.*" would hide names without a dot.
QString allFilesPattern();

// The filters a user of this platform expects beside the designed ones, for
// the target of an entry, with `scripts` and `programs` as their words: the
// shell scripts, and the files that may be run, which the dialog shows alone
// under the last one given.
QStringList nativeTargetFilters(const QString &scripts, const QString &programs);

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

// The text of a file's bytes, in the local 8-bit encoding, and back. A round
// trip gives the same bytes, also for bytes the encoding cannot decode: they
// are held as characters of their own (U+DC80..U+DCFF), so a line the program
// did not change is written back byte for byte and a name in another code
// page still names its file.
QString decodeText(const QByteArray &bytes);
QByteArray encodeText(const QString &text);
// The text as a window may show it: held bytes become U+FFFD.
QString displayText(const QString &text);

// A path as the system takes it, encoded as above.
QByteArray nativePath(const QString &path);
// An existing regular file: no folder, pipe, device or dangling link.
bool isRegularFile(const QString &path);
// Something that exists and is not a regular file: a folder, pipe, device.
bool isOtherThanRegularFile(const QString &path);

// Opens a file as the C runtime does ("rb", "wb", "ab", "wbx"), with the
// native path, without ever blocking: anything but a regular file (a folder,
// a pipe, a device) is refused as access denied.
std::FILE *openFile(const QString &path, const char *mode);

// Gives the open file the permissions of `reference`, when it exists.
void copyPermissions(std::FILE *file, const QString &reference);

// The file a link finally points to, or the path itself when it is no link
// or its target does not exist.
QString finalTarget(const QString &path);

// Cuts an open file back to `size` bytes; false on failure.
bool truncateFile(std::FILE *file, qint64 size);

// Gives back the disk space of a file's bytes from `from` to its end while a
// program still appends to it: the length stays, so that its writes go on
// at the end, and the freed bytes read as zeros until the file is cut. The
// length freed up to, or -1 where the file system cannot (or it is no
// regular file).
qint64 freeFileSpace(const QString &path, qint64 from);

// Flushes a file written through openFile to the disk; false on failure.
bool syncFile(std::FILE *file);

// Puts `from` in the place of `to` in one step: a reader sees the old file or
// the new one, never a mix. False on failure, with lastFileErrorCode set.
bool replaceFile(const QString &from, const QString &to);

// The runtime's input/output error code of the last failed file call of this
// thread: 2 not found, 3 bad name, 4 too many open files, 5 access denied,
// 101 disk full, otherwise the system's own error number.
int lastFileErrorCode();

// Starts the executable with the user's session, or no longer: an XDG
// autostart entry (pendulix.desktop in $XDG_CONFIG_HOME/autostart, else
// ~/.config/autostart), the current user's Run key on Windows. Empty when
// done; otherwise why it could not be written or removed.
QString setStartWithSession(bool start, const QString &executable);
// Where that entry lives, for the tests.
QString startWithSessionEntry();

// Process-wide settings every start-up makes before anything else: a write
// past a file-size limit must fail with its error, not end the program, and
// the program may hold as many descriptors as the system lets it.
void prepareProcess();

// Calls the handler on the main thread's event loop when the session asks the
// program to end (SIGTERM, SIGHUP on POSIX; Qt itself reports the Windows
// session end).
void onSessionEnd(std::function<void()> handler);

} // namespace Platform
