#pragma once

#include <QDateTime>
#include <QString>

// The daily journal files: one per calendar day, "yyyymmdd.log" in the
// program directory, lines only ever appended.
namespace Journal {

QString fileNameFor(const QDate &date);
QString pathFor(const QString &programDirectory, const QDate &date);

// ecrirejournal: appends one line to the journal of the day of `now`,
// creating the file when missing. The date is taken once, so a line always
// goes whole into one file. Raises EInOutError.
void append(const QString &programDirectory, const QDateTime &now, const QString &line);

// ecrire: appends one line to the language file "sourcelang.ini".
void appendToLanguageFile(const QString &programDirectory, const QString &line);

} // namespace Journal
