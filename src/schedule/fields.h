#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// GetField: puts into `out` the n-th piece of `text` (n from 1) that is
// followed by `separator`; leaves `out` as it was when there is none. Text
// after the last separator is never a piece.
void GetField(const QString &text, QChar separator, int n, QString &out);

// The same, starting from an empty text: what every reader of a line does,
// so a field the line lacks reads as empty.
QString fieldOf(const QString &text, QChar separator, int n);

// Every piece of `text` that is followed by `separator`, in order: piece n
// of GetField is element n - 1.
QStringList fieldsOf(const QString &text, QChar separator);

// "1" Monday ... "7" Sunday.
QString WeekdayDigit(const QDate &date);

// The file's size in bytes, 0 when no file of that name exists.
qint64 FileSizeOf(const QString &path);
