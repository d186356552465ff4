#include "duerules.h"

#include "files/runtimeerror.h"
#include "schedule/fields.h"
#include "schedule/scheduleentry.h"

#include <limits>

namespace {
const QChar kBar = QLatin1Char('|');
}

MinuteValues MinuteValues::of(const QDateTime &time)
{
    return of(time.date(), time.time());
}

MinuteValues MinuteValues::of(const QDate &date, const QTime &time)
{
    MinuteValues values;
    values.weekdayDigit = WeekdayDigit(date);
    values.weekday = date.dayOfWeek();
    values.date = date;
    values.minute = time.minute();
    values.hour = time.hour();
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

DueEntry::DueEntry(const ScheduleEntry &entry)
    : m_interval(entry.isIntervalEntry()), m_target(entry.target)
{
    const EntryOptions options = entry.options();
    m_paused = options.paused();
    m_name = options.name();
    m_catchesUp = options.catchesUp();
    try {
        options.checkForms();
        m_dates = DateFilter::of(options);
        options.stopAfterMinutes();
    } catch (const EConvertError &error) {
        m_optionsError = error.message();
    }
    if (!m_interval) {
        m_minuteHour = entry.minute + kBar + entry.hour;
        for (int day = 1; day <= 7; ++day) {
            if (entry.runsOn(day))
                m_days |= quint8(1u << (day - 1));
        }
        return;
    }
    try {
        const int minute = StrToInt(entry.minute);
        const int hour = StrToInt(entry.hour);
        m_period = qint64(hour) * 60 + minute;
        if (m_period == 0)
            throw EConvertError(QStringLiteral("Division par zéro"));
    } catch (const EConvertError &error) {
        m_error = error.message();
    }
}

bool DueEntry::isDue(const MinuteValues &now) const
{
    // Options narrow what the fields say; a bad one was told at the load.
    const bool held = m_paused || !m_optionsError.isEmpty() ||
                      (m_dates.narrows() && !m_dates.allows(now.date));
    if (!m_interval)
        return !held && (m_days & (1u << (now.weekday - 1))) && m_minuteHour == now.minuteHour;
    if (!m_error.isEmpty())
        throw EConvertError(m_error);
    return !held && (qint64(now.hour) * 60 + now.minute) % m_period == 0;
}
