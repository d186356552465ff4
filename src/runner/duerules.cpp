#include "duerules.h"

#include "journal/runtimeerror.h"
#include "schedule/fields.h"

#include <limits>

namespace {
const QChar kBar = QLatin1Char('|');
}

MinuteValues MinuteValues::of(const QDateTime &time)
{
    MinuteValues values;
    values.weekdayDigit = WeekdayDigit(time.date());
    values.minute = time.time().minute();
    values.hour = time.time().hour();
    values.minuteHour = QString::number(values.minute) + kBar + QString::number(values.hour);
    return values;
}

int StrToInt(const QString &text)
{
    // Decimal with an optional sign, or "$" hexadecimal, as the runtime reads
    // it; leading blanks pass, trailing ones do not.
    bool ok = false;
    qlonglong value = 0;
    const QString digits = text.trimmed();
    if (!text.isEmpty() && !text.back().isSpace()) {
        if (digits.startsWith(QLatin1Char('$')))
            value = digits.mid(1).toLongLong(&ok, 16);
        else
            value = digits.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw EConvertError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(text));
    return int(value);
}

bool IntervalDue(int currentHour, int currentMinute, int hour, int minute)
{
    const qint64 period = qint64(hour) * 60 + minute;
    if (period == 0)
        throw EConvertError(QStringLiteral("Division par zéro"));
    return (qint64(currentHour) * 60 + currentMinute) % period == 0;
}

bool isIntervalEntry(const QString &line)
{
    QString flags;
    for (int field = 3; field <= 9; ++field)
        flags += fieldOf(line, kBar, field);
    return flags == QLatin1String("0000000");
}

bool weekdayEntryDue(const QString &line, const MinuteValues &now)
{
    if (fieldOf(line, kBar, 1) + kBar + fieldOf(line, kBar, 2) != now.minuteHour)
        return false;
    return fieldOf(line, kBar, now.weekdayDigit.toInt() + 2) == QLatin1String("1");
}

bool intervalEntryDue(const QString &line, const MinuteValues &now)
{
    const int minute = StrToInt(fieldOf(line, kBar, 1));
    const int hour = StrToInt(fieldOf(line, kBar, 2));
    return IntervalDue(now.hour, now.minute, hour, minute);
}
