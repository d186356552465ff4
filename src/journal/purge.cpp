#include "purge.h"

#include <QRegularExpression>

const QString kJournalFilePattern =
    QStringLiteral("[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].log");

bool isJournalFileName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{8}\\.log$"));
    return pattern.match(fileName).hasMatch();
}

bool isOutputFileName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{8}-[0-9]{6}-[0-9]+\\.txt$"));
    return pattern.match(fileName).hasMatch();
}

bool journalFileExpired(const QDateTime &lastWrite, const QDateTime &now, int days)
{
    // Both sides are local wall-clock readings, compared as such: the limit
    // is N × 24 hours of clock time before now, whatever daylight saving did.
    const QDateTime local = lastWrite.toLocalTime();
    const QTime time = local.time();
    const QDateTime written(local.date(), QTime(time.hour(), time.minute(), time.second() & ~1),
                            Qt::UTC);
    const QDateTime localNow = now.toLocalTime();
    const QDateTime limit(localNow.date().addDays(-days), localNow.time(), Qt::UTC);
    return written < limit;
}
