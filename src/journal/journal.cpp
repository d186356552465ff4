#include "journal.h"

#include "files/textfile.h"

namespace Journal {

QString fileNameFor(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log");
}

QString pathFor(const QString &programDirectory, const QDate &date)
{
    return programDirectory + fileNameFor(date);
}

void append(const QString &programDirectory, const QDateTime &now, const QString &line)
{
    TextFile::appendLine(pathFor(programDirectory, now.date()), line);
}

void appendToLanguageFile(const QString &programDirectory, const QString &line)
{
    TextFile::appendLine(programDirectory + QStringLiteral("sourcelang.ini"), line);
}

} // namespace Journal
