#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// 8-bit text files in the local encoding with CR LF line ends, held as text
// that gives back the file's bytes (Platform::decodeText): a line the program
// did not change is written back byte for byte. Only regular files are opened. Every call
// opens, writes or reads, and closes: no file stays open between two lines.
// Failures raise EInOutError with the runtime's text.
namespace TextFile {

// Opens at the end, or creates the file when missing, and writes one line.
// A line that cannot be written whole is cut away again.
void appendLine(const QString &path, const QString &line);

// Creates or empties the file and writes one line.
void rewriteLine(const QString &path, const QString &line);

// Replaces the whole file with the given lines at once: either the old file
// or the new one is left, never a part of it. A link is written through: the
// file it points to is replaced, with its permissions.
void replaceAll(const QString &path, const QStringList &lines);
// The same with the file's bytes given whole, line ends included.
void replaceAll(const QString &path, const QByteArray &bytes);

// Removes the temporaries a write back left behind when the program was
// killed between writing and renaming.
void removeStaleTemporaries(const QString &path);

// Reads the file's lines: CR LF or LF ends a line, a last line without line
// end counts, an empty file has no lines.
QStringList readLines(const QString &path);

// The file's bytes, whole.
QByteArray readAll(const QString &path);

// The file's first `most` bytes at most, up to the end of the last whole
// line among them; `whole` tells whether that was the whole file.
QByteArray readLinesUpTo(const QString &path, qsizetype most, bool *whole);

// The lines of a text held in memory, by the same rules.
QStringList splitLines(const QByteArray &bytes);

} // namespace TextFile
