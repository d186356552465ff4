#pragma once

#include <QDateTime>
#include <QString>

// The walker's pattern for this program's journal files: "yyyymmdd.log".
extern const QString kJournalFilePattern;

// Whether a name is a journal file's: eight digits, then ".log".
bool isJournalFileName(const QString &fileName);

// Whether a name is one the program gives a run's output:
// "yyyymmdd-hhmmss-N.txt".
bool isOutputFileName(const QString &fileName);

// A journal file last written at `lastWrite` is deleted when that time, at
// the two-second resolution of the FAT format, is earlier than `days` whole
// days of local clock time before `now`.
bool journalFileExpired(const QDateTime &lastWrite, const QDateTime &now, int days);
