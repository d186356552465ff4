#pragma once

#include <QByteArray>
#include <QString>

// The file a started program wrote its output and errors to, once it ended.
namespace OutputFile {

// What is kept of one run's output.
constexpr qint64 kKeptBytes = qint64(1) << 20;
// The last line of a cut file, around the number of bytes dropped.
QByteArray droppedNoteBefore();
QByteArray droppedNoteAfter();

// A run that wrote nothing leaves no file; one that wrote more than `kept`
// bytes keeps the first of them, then a last line that says how many were
// dropped. Raises EInOutError when the file cannot be cut.
void finish(const QString &path, qint64 kept = kKeptBytes);

} // namespace OutputFile
