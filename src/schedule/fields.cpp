#include "fields.h"

#include <QFileInfo>

void GetField(const QString &text, QChar separator, int n, QString &out)
{
    int counter = 0;
    QString accumulator;
    for (const QChar c : text) {
        if (c != separator) {
            accumulator += c;
            continue;
        }
        if (++counter == n)
            out = accumulator;
        accumulator.clear();
    }
}

QString fieldOf(const QString &text, QChar separator, int n)
{
    QString out;
    GetField(text, separator, n, out);
    return out;
}

QStringList fieldsOf(const QString &text, QChar separator)
{
    QStringList pieces = text.split(separator);
    // Text after the last separator is never a piece.
    pieces.removeLast();
    return pieces;
}

QString WeekdayDigit(const QDate &date)
{
    return QString::number(date.dayOfWeek());
}

qint64 FileSizeOf(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}
